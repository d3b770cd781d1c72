#!/usr/bin/env bash
# Runs the end-to-end test: the driver starts the built program under Wine
# and uses it as a user would, while this script takes the screenshots the
# driver asks for into BUILD_DIR/screenshots/NAME[SUFFIX].png, each cut to
# the program's window.
#
#   run-e2e.sh BUILD_DIR SOURCE_DIR DRIVER_EXE PROGRAM_EXE [SUFFIX]
#
# BUILD_DIR holds the build's Wine wrapper wine-run.sh, whose WINE_LANG and
# WINE_LOG_PIXELS set the Windows the program runs on. The X display is the
# caller's; without one, the script runs itself again inside its own Xvfb of
# E2E_SCREEN pixels (default 1280x1024).
set -euo pipefail

if [ $# -ne 4 ] && [ $# -ne 5 ]; then
    echo "usage: $0 BUILD_DIR SOURCE_DIR DRIVER_EXE PROGRAM_EXE [SUFFIX]" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 ${E2E_SCREEN:-1280x1024}x24" bash "$0" "$@"
fi
suffix=${5:-}

build=$(realpath "$1")
source=$(realpath "$2")
driver=$(realpath "$3")
program=$(realpath "$4")

mkdir -p "$build/screenshots"
handshake=$(mktemp -d "$build/e2e-handshake.XXXXXX")
trap 'rm -rf "$handshake"' EXIT

# Wine shows the Linux root as drive Z:.
"$build/wine-run.sh" "$driver" "Z:$program" "Z:$source/Database" "Z:$handshake" "${WINE_LOG_PIXELS:-96}" &
driver_pid=$!

# The driver asks for a picture by leaving "shot-NAME" in the handshake
# folder and waits for "shot-NAME.taken"; a driver that ends first has said
# why.
take_screenshot() { # name
    local picture=$build/screenshots/$1$suffix.png colours
    rm -f "$picture"
    # The screen's black around the window is cut away.
    import -window root png:- | convert - -trim +repage "$picture" || return 1
    # A picture in a single colour shows nothing of the program.
    colours=$(identify -format '%k' "$picture" || echo 0)
    if [ "$colours" -le 1 ]; then
        echo "e2e: the screenshot $picture is a single colour" >&2
        return 1
    fi
    echo "e2e: screenshot in $picture"
}

status=0
while kill -0 "$driver_pid" 2>/dev/null; do
    for request in "$handshake"/shot-*; do
        [ -e "$request" ] && [ "${request%.taken}" = "$request" ] && [ ! -e "$request.taken" ] || continue
        take_screenshot "${request##*/shot-}" || status=1
        touch "$request.taken"
    done
    sleep 0.1
done

wait "$driver_pid" || status=$?
exit $status
