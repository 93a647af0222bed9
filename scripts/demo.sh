#!/usr/bin/env bash
# The demo command: builds the driver in Release, starts the QuickBase
# emulator with its demo fixture and runs the driver's main job against it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install_deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DHELVANE_TESTS=OFF >/dev/null
cmake --build "$root/build/release" -j"$(nproc)" --target helvane
exec /usr/bin/python3 "$root/scripts/demo.py" "$root/build/release/libhelvane.so"
