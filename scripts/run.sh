#!/usr/bin/env bash
# Sets up the machine, builds the Windows program and starts it under Wine in
# the repository's folder, whose Database folder holds the example position
# and class lists. On a desktop its window opens there. Without a display it
# starts on a virtual one (Xvfb) that nobody sees: there it writes a picture
# of its window to build/screenshot.png, ends, and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/build-windows.sh" velmora
cd "$root"
if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX=$build/windows/desktop-prefix WINE_MANAGED_WINDOWS=1
    exec "$build/windows/wine-run.sh" "$build/windows/velmora.exe"
fi
# The build's own prefix draws the window frames itself, as Xvfb has no
# window manager to draw them.
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$root/scripts/screenshot.sh" "$build/screenshot.png"
echo "run: no display, so the program ran on a virtual one; its window: $build/screenshot.png"
echo "run: to use it, start it from a desktop session (one with DISPLAY set): bash scripts/run.sh"
