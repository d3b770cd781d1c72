#!/usr/bin/env bash
# Sets up the machine, builds the Windows program and runs it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/setup.sh" "$build"
cmake -S "$root" -B "$build/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/windows"
# The program's own window comes with the main window; until then this
# starts the test program of the sheet core.
"$build/windows/wine-run.sh" "$build/windows/tests/core_tests.exe"
