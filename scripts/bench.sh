#!/usr/bin/env bash
# Builds the Windows program and runs the benchmarks under Wine on a virtual
# display, and the portable one natively. They print figures and ratios;
# nothing is asserted. Each figure also comes as an "@figure" line (see
# bench/Figures.h), and the end gives one table of them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/build-windows.sh"
work=$(mktemp -d "$build/bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

run_benchmarks() {
    echo "== the four outputs of a long sheet against reading it (native, optimised, no sanitizers)"
    cmake -S "$root" -B "$build/native-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSANITIZE=OFF >/dev/null
    cmake --build "$build/native-bench" --target sheet_outputs_bench catalogue_bench history_bench \
        version_keep_bench doll_folder_bench udonarium_piece_bench >/dev/null
    "$build/native-bench/bench/sheet_outputs_bench" "$work/long-sheet.txt"

    echo "== the undo history's memory against the list it follows (native)"
    "$build/native-bench/bench/history_bench"

    echo "== a save of a sheet of 3,000 entries a list with its version kept, against the same save (native)"
    "$build/native-bench/bench/version_keep_bench" "$work"

    echo "== a doll folder of 1,000 sheets: the walk and the reading, and the first 30 thumbnails, against plain loops (native)"
    "$build/native-bench/bench/doll_folder_bench" "$work/dolls"

    echo "== the Udonarium piece of long sheets with photo portraits, against reading them and libjpeg alone (native)"
    "$build/native-bench/bench/udonarium_piece_bench" "$work"

    echo "== a catalogue of 5,000 entries: reading it against reading a sheet as large, and a search against a plain scan"
    "$build/native-bench/bench/catalogue_bench" "$work"

    echo "== opening sheets of growing lists (loadSheet + refreshSheetForm on the real form)"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/open_refresh_bench.exe"

    echo "== one more character in the catalogue dialog's search, until the list shows its matches"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/catalogue_search_bench.exe"

    echo "== the doll list on 1,000 sheets naming 50 photographs, against plain loops; its thumbnails' memory on 10,000"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/doll_list_bench.exe"

    echo "== the earlier versions dialog on 50 versions of a long sheet, against loading them and a bare dialog"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/windows/wine-run.sh" "$build/windows/bench/versions_dialog_bench.exe"

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
}

# The closing table: each figure beside its floor, and whether its ratio (or,
# for an absolute limit, the figure itself) keeps its goal. Where the
# platform's share is known, what remains of the figure is judged too.
print_figure_table() {
    echo
    echo "== every figure against its goal"
    awk -F '\t' '
        { sub(/\r$/, "") }
        $1 != "@figure" { next }
        {
            name = $2; figure = $3; floor = $4; ratio = $5; spread = $6; goal = $7; unit = $8
            platform = ""
            if (NF >= 9 && $9 ~ /^platform=/) platform = substr($9, 10)
            measured = ratio == "-" ? figure : ratio
            verdict = measured + 0 <= goal + 0 ? "ok" : "over"
            if (platform != "" && ratio != "-" && floor + 0 > 0)
                verdict = verdict sprintf(" (platform %s %s; the rest %.2f x, %s)", platform, unit,
                                          (figure - platform) / floor,
                                          (figure - platform) / floor <= goal + 0 ? "ok" : "over")
            rows[++count] = sprintf("| %s | %s %s | %s | %s | %s | %s | %s |", name, figure, unit,
                                    floor == "-" ? "-" : floor " " unit, ratio == "-" ? "-" : ratio " x",
                                    spread, ratio == "-" ? "at most " goal " " unit : goal " x", verdict)
        }
        END {
            print "| figure | median | floor | ratio | spread | goal | |"
            print "| --- | --- | --- | --- | --- | --- | --- |"
            for (i = 1; i <= count; ++i) print rows[i]
        }' "$1"
}

run_benchmarks 2>&1 | tee "$work/figures.txt"
print_figure_table "$work/figures.txt"
