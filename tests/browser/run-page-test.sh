#!/usr/bin/env bash
# Opens the printable page of a full sheet in headless Chromium: the page
# shows the sheet, holds no script even when the sheet's texts are script
# markup, and prints on exactly one A4 page. With PICTURE, also writes a
# picture of that printed page there (for the README).
#
#   tests/browser/run-page-test.sh VELMORA_SHEET FULL_SHEET [PICTURE]
set -euo pipefail
program=$1 sheet=$2 picture=${3:-}
command -v chromium >/dev/null && command -v pdfinfo >/dev/null ||
    { echo "skipped: no chromium or poppler-utils here (scripts/setup.sh installs them)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A profile of its own each time, and nothing that calls home.
chromium_headless() {
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$(mktemp -d -p "$work")" "$@" 2>"$work/chromium.log" ||
        { cat "$work/chromium.log" >&2; fail "chromium $*"; }
}

"$program" html "$sheet" -o "$work/full.html"
grep -Eiq 'https?:' "$work/full.html" && fail "the page names an address on the network"
dom=$(chromium_headless --dump-dom "file://$work/full.html")
grep -q 'シャルロット' <<<"$dom" || fail "no doll name in the page's document"
grep -q '頭のパーツ1つの損傷を無効化' <<<"$dom" || fail "no part's effect in the page's document"

# Every kind of text of a sheet as script markup, which holds neither of the
# file's separators.
m='<script>document.write("<b>ran</b>")</script>'
printf '%s\r\n' 1002 '' "$m" "$m" 0 "$m" "$m" "$m,$m,$m" "$m" "$m" "$m" 0,0,0 "$m,1,$m:,0,:,0,:,0,:,0,:,0," \
    "$m,$m,$m,$m,$m" "$m,$m,1,$m:,,0,:,,0,:,,0,:,,0,:,,0," 0 0 "1,$m,$m,$m,$m,$m" "" "" "0,$m,$m,$m,$m,$m" \
    >"$work/markup.txt"
"$program" html "$work/markup.txt" -o "$work/markup.html"
dom=$(chromium_headless --dump-dom "file://$work/markup.html")
grep -qi '<script\|<b>' <<<"$dom" && fail "the sheet's markup became part of the page"
grep -q '&lt;script&gt;' <<<"$dom" || fail "the sheet's markup is not shown as text"

chromium_headless --no-pdf-header-footer --print-to-pdf="$work/full.pdf" "file://$work/full.html"
info=$(pdfinfo "$work/full.pdf")
grep -Eq '^Pages: +1$' <<<"$info" || fail "the full sheet prints on more than one page"
grep -Eq '^Page size: +59[45]\.[0-9]+ x 84[12]\.[0-9]+ pts' <<<"$info" || fail "no A4 portrait page"
[ -z "$picture" ] || pdftoppm -png -r 60 -singlefile "$work/full.pdf" "${picture%.png}"
echo "page test passed"
