#!/bin/sh
# One scripted isql session through the Driver Manager: register the driver
# and a data source in a private folder, connect to the emulator, run a
# query and check that its rows are printed, quit.
# Arguments: driver library, emulator folder, sanitizer runtime (or empty).
set -u
library=$1
emulator=$2
asan=${3:-}
dir=$(mktemp -d "${TMPDIR:-/tmp}/helvane-isql-XXXXXX")
cleanup() {
  /usr/bin/python3 "$emulator/emuctl.py" stop --pidfile "$dir/emulator.pid" >/dev/null 2>&1
  rm -rf "$dir"
}
trap cleanup EXIT
port=$(/usr/bin/python3 "$emulator/emuctl.py" start --pidfile "$dir/emulator.pid" --owner $$ -- \
  --host 127.0.0.1 --fixture "$emulator/fixtures/demo.json") || exit 1
cat >"$dir/odbcinst.ini" <<INI
[Tarvox ODBC for QuickBase]
Description=QuickBase ODBC driver under test
Driver=$library
INI
cat >"$dir/odbc.ini" <<INI
[demo]
Driver=Tarvox ODBC for QuickBase
QUICKBASESERVER=http://127.0.0.1:$port
UID=alice
PWD=wonderland
INI
export ODBCSYSINI="$dir" ODBCINI="$dir/odbc.ini"
session='SELECT Name, Rating FROM "Sales: Customers" WHERE Rating >= 4
quit
'
if [ -n "$asan" ]; then
  output=$(printf '%s' "$session" | LD_PRELOAD="$asan" ASAN_OPTIONS=detect_leaks=0 isql -v demo 2>&1)
else
  output=$(printf '%s' "$session" | isql -v demo 2>&1)
fi
status=$?
echo "$output"
[ $status -eq 0 ] || exit 1
echo "$output" | grep -q "Connected!" || exit 1
# The filtered rows, with their values, and isql's count of them.
echo "$output" | grep -q "| Acme Corporation *| 5 " || exit 1
echo "$output" | grep -q "| Zeta Ltd *| 4.5 " || exit 1
echo "$output" | grep -q "3 rows fetched" || exit 1
