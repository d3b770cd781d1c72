#!/usr/bin/env bash
# Sets up the machine, builds the Windows program and starts it under Wine in
# the repository's folder, whose Database folder holds the example position
# and class lists. Without a display it starts on a virtual one (Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/build-windows.sh" velmora
cd "$root"
export WINEPREFIX=$build/windows/desktop-prefix WINE_MANAGED_WINDOWS=1
if [ -n "${DISPLAY:-}" ]; then
    exec "$build/windows/wine-run.sh" "$build/windows/velmora.exe"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/velmora.exe"
