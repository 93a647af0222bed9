#!/usr/bin/env bash
# The test command: installs what it needs, builds everything with
# AddressSanitizer and UBSan, and runs every test through CTest; the thread
# tests also run in a ThreadSanitizer build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/install_deps.sh"

# The fuzz targets need clang's libFuzzer, so they get a build of their own.
if [[ -d "$root/tests/fuzz" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=Debug \
    -DHELVANE_SANITIZE=ON -DHELVANE_FUZZ=ON >/dev/null
  mapfile -t fuzz_targets < <(sed -nE 's/^[[:space:]]*add_executable\(([A-Za-z0-9_]+).*/\1/p' "$root/tests/fuzz/CMakeLists.txt")
  cmake --build "$root/build/fuzz" -j"$jobs" --target "${fuzz_targets[@]}"
  (cd "$root/build/fuzz" && ctest -R '^fuzz_' --output-on-failure)
fi

cmake -S "$root" -B "$root/build/test" -DCMAKE_BUILD_TYPE=Debug -DHELVANE_SANITIZE=ON >/dev/null
cmake --build "$root/build/test" -j"$jobs"
(cd "$root/build/test" && ctest -j"$jobs" --output-on-failure --timeout 600)

# The thread tests once more under ThreadSanitizer, which can't share a build
# with AddressSanitizer; this build compiles only the driver and those tests.
cmake -S "$root" -B "$root/build/tsan" -DCMAKE_BUILD_TYPE=Debug -DHELVANE_TSAN=ON >/dev/null
cmake --build "$root/build/tsan" -j"$jobs" --target test_threads
(cd "$root/build/tsan" && ctest -L threads -j2 --output-on-failure --timeout 600)
