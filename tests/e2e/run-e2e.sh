#!/usr/bin/env bash
# Runs the end-to-end test: the driver starts the built program under Wine
# and uses it as a user would, while this script takes the screenshot of the
# freshly started program into BUILD_DIR/screenshots/started.png.
#
#   run-e2e.sh BUILD_DIR SOURCE_DIR DRIVER_EXE PROGRAM_EXE
#
# BUILD_DIR holds the build's Wine wrapper wine-run.sh. The X display is the
# caller's; without one, the script runs itself again inside its own Xvfb.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 BUILD_DIR SOURCE_DIR DRIVER_EXE PROGRAM_EXE" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

build=$(realpath "$1")
source=$(realpath "$2")
driver=$(realpath "$3")
program=$(realpath "$4")
screenshot=$build/screenshots/started.png

mkdir -p "$build/screenshots"
rm -f "$screenshot"
handshake=$(mktemp -d "$build/e2e-handshake.XXXXXX")
trap 'rm -rf "$handshake"' EXIT

# Wine shows the Linux root as drive Z:.
"$build/wine-run.sh" "$driver" "Z:$program" "Z:$source/Database" "Z:$handshake" &
driver_pid=$!

# The driver asks for the picture once the main window is up and waits for
# the answer; a driver that ends first has said why.
screenshot_ok=false
while kill -0 "$driver_pid" 2>/dev/null; do
    if [ -e "$handshake/program-started" ]; then
        if import -window root "$screenshot"; then
            # A picture in a single colour shows nothing of the program.
            colours=$(identify -format '%k' "$screenshot" || echo 0)
            if [ "$colours" -gt 1 ]; then
                screenshot_ok=true
            else
                echo "e2e: the screenshot $screenshot is a single colour" >&2
            fi
        fi
        touch "$handshake/screenshot-taken"
        break
    fi
    sleep 0.1
done

status=0
wait "$driver_pid" || status=$?
if [ -e "$handshake/program-started" ] && ! $screenshot_ok; then
    echo "e2e: no usable screenshot of the started program" >&2
    status=1
fi
[ $status -ne 0 ] || echo "e2e: screenshot of the started program in $screenshot"
exit $status
