#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need,
# only when some are missing. Used by scripts/test.sh and scripts/demo.sh.
set -euo pipefail

packages=(cmake g++ make unixodbc unixodbc-dev odbcinst libexpat1-dev libcurl4-openssl-dev
          python3 python3-pyodbc tzdata libsqlite3-dev libgtest-dev libgmock-dev googletest clang libclang-rt-14-dev openssl curl binutils)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
