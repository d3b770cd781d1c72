#!/usr/bin/env bash
# Reads back what Explorer shows of each program, built and in the ZIP: the
# icon in its five sizes and the version details.
#   check-resources.sh BUILD_DIR PROGRAM_EXE...
set -euo pipefail

build=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "check-resources: $*" >&2; status=1; }

# A version string's value: the line after its name in the block's UTF-16.
version_string() { # exe name
    wrestool -x --raw --type=16 "$1" | iconv -c -f UTF-16LE -t UTF-8 | tr '\0' '\n' | grep -v '^$' |
        sed -n "/$2\$/{n;p;q}"
}

# The ZIP is packed afresh here, so that it holds this build's programs.
cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
unzip -q "$work"/velmora-*-win64.zip -d "$work"
for program in "$@"; do
    name=${program##*/}
    cmp -s "$program" "$work"/velmora-*-win64/"$name" || fail "$name in the ZIP is not the built one"
    wrestool -x --type=14 --name=1 "$program" >"$work/$name.ico"
    sizes=$(icotool -l "$work/$name.ico" | sed 's/.*--width=\([0-9]*\).*/\1/' | tr '\n' ' ')
    [ "$sizes" = "16 24 32 48 256 " ] || fail "$name's icon 1 has the sizes: $sizes"
    # The fixed part's file and product versions, each as two 32-bit halves.
    numbers=$(wrestool -x --raw --type=16 "$program" | od -An -tx4 -j48 -N16 | xargs)
    [ "$numbers" = "00010000 00000002 00010000 00000002" ] || fail "$name's version numbers are $numbers"
    [ "$(version_string "$program" ProductVersion)" = 1.0.0.2 ] || fail "$name's product version is wrong"
    [ "$(version_string "$program" ProductName)" = "Velmoraキャラ管理ツール" ] || fail "$name's product name is wrong"
    [ "$(version_string "$program" OriginalFilename)" = "$name" ] || fail "$name's original name is wrong"
done
exit $status
