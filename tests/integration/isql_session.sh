#!/bin/sh
# One scripted isql session through the Driver Manager: register the driver
# and a data source in a private folder, connect to the emulator, run a
# query and check that its rows are printed, list the tables and one
# table's columns with help, quit.
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
help
help Orders
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
# help: every table of both applications, then the columns of Orders (isql
# is an ODBC 2 application: DATETIME is type 11).
for table in "Sales: Customers" "Sales: Orders" "Sales: Order Lines" "Archive: Old Orders"; do
  echo "$output" | grep -q "| $table *| TABLE " || exit 1
done
echo "$output" | grep -q "4 rows fetched" || exit 1
for column in "Order No *| 12 *| VARCHAR" "Ordered At *| 11 *| DATETIME" "Invoice *| -4 *| LONGVARBINARY"; do
  echo "$output" | grep -q "| Sales: Orders *| $column " || exit 1
done
echo "$output" | grep -q "21 rows fetched" || exit 1
