#!/usr/bin/env bash
# Sets up the machine and builds the Windows program into build/windows:
# the given targets, or everything.
#
#   scripts/build-windows.sh [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/setup.sh" "$build"
cmake -S "$root" -B "$build/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build/windows" --target "$@"
else
    cmake --build "$build/windows"
fi
