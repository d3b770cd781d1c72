#!/usr/bin/env bash
# Starts the built program on the caller's X display in the repository's
# folder, waits until its main window is up and painted, writes a picture of
# that window to PICTURE and ends the program.
#
#   scripts/screenshot.sh PICTURE
set -euo pipefail
picture=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
# The first start creates the Wine prefix, which takes a while.
wait_limit=180

cd "$root"
"$build/windows/wine-run.sh" "$build/windows/velmora.exe" &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT

# The X window of the main window: the one whose title starts with the
# program's name.
main_window() {
    xwininfo -root -tree 2>/dev/null | awk '/^ *0x[0-9a-f]+ "Velmora/ { print $1; exit }'
}

# The window's pixels, to tell whether painting has come to rest; nothing
# while the window cannot be read yet.
pixels() {
    { import -window "$1" rgb:- 2>/dev/null || true; } | md5sum
}

# A window in a single colour is not painted yet.
is_painted() {
    [ "$(import -window "$1" png:- 2>/dev/null | identify -format '%k' - 2>/dev/null || echo 0)" -gt 1 ]
}

window=
previous=
settled=false
while ((SECONDS < wait_limit)); do
    kill -0 "$program" 2>/dev/null || { echo "screenshot: the program ended before its window was up" >&2; exit 1; }
    [ -n "$window" ] || window=$(main_window)
    if [ -n "$window" ]; then
        current=$(pixels "$window")
        if [ "$current" = "$previous" ] && is_painted "$window"; then
            settled=true
            break
        fi
        previous=$current
    fi
    sleep 0.5
done
$settled || { echo "screenshot: no painted main window after $wait_limit s" >&2; exit 1; }
mkdir -p "$(dirname "$picture")"
import -window "$window" "$picture"
