#!/usr/bin/env bash
# Builds the Windows program and runs the benchmarks under Wine on a virtual
# display, and the portable one natively. They print figures and ratios;
# nothing is asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/build-windows.sh"
work=$(mktemp -d "$build/bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# Every benchmark's "@figure" lines make the closing table.
log=$work/bench.log
exec > >(tee "$log") 2>&1
echo "== the four outputs of a long sheet against reading it (native, optimised, no sanitizers)"
cmake -S "$root" -B "$build/native-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSANITIZE=OFF >/dev/null
cmake --build "$build/native-bench" --target sheet_outputs_bench catalogue_bench history_bench \
    doll_folder_bench >/dev/null
"$build/native-bench/bench/sheet_outputs_bench" "$work/long-sheet.txt"

echo "== the undo history's memory against the list it follows (native)"
"$build/native-bench/bench/history_bench"

echo "== a catalogue of 5,000 entries: reading it against reading a sheet as large, and a search against a plain scan"
"$build/native-bench/bench/catalogue_bench" "$work"

echo "== a doll folder of 1,000 sheets: the walk and the reading, and the first 30 thumbnails, against plain loops (native)"
"$build/native-bench/bench/doll_folder_bench" "$work/dolls"

echo "== opening sheets of growing lists (loadSheet + refreshSheetForm on the real form)"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/open_refresh_bench.exe"

echo "== one more character in the catalogue dialog's search, until the list shows its matches"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/catalogue_search_bench.exe"

echo "== the doll list on 1,000 sheets naming 50 photographs, against plain loops; its thumbnails' memory on 10,000"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/doll_list_bench.exe"

echo "== a photo-sized portrait (opened through loadSheet, refreshSheetForm and the paint)"
# About 24 megapixels of photo-like content: smooth shading with grain.
convert -size 6000x4000 gradient:'#c08060-#304070' -attenuate 0.4 +noise Gaussian -blur 0x1 photo.ppm
cjpeg -quality 90 -outfile photo.jpg photo.ppm
rm photo.ppm
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/portrait_bench.exe" \
    photo.jpg "Z:$build/deps/libjpeg-mingw/bin/djpeg.exe" 2>&1 | grep -v "^libjpeg-turbo version"

echo "== start-up to idle, against the same first screen built with plain calls"
# The program reads its reference lists from the working folder.
cp -r "$root/Database" .
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/startup_bench.exe" \
    "Z:$build/windows/velmora.exe" "Z:$build/windows/bench/bare_form.exe"

echo "== every figure against its floor"
grep '^@figure' "$log" | awk -F '\t' '
    BEGIN { printf "%-58s %12s %12s %7s %13s %6s %s\n", "figure", "", "floor", "ratio", "spread", "goal", "" }
    {
        within = ($5 == "-") ? ($3 + 0 <= $7 + 0) : ($5 + 0 <= $7 + 0)
        printf "%-58s %9s %-2s %9s %-2s %7s %13s %6s %s\n", $2, $3, $8, $4, ($4 == "-" ? "" : $8), $5, $6, $7,
            within ? "ok" : "over"
    }'
