#!/usr/bin/env bash
# Renews the pictures of the three printed documents in docs/: prints them for a small sample
# register to PDF (as the print dialog does with the output "file") and turns the first page of
# each into a PNG with pdftoppm (poppler-utils).
# Usage: scripts/report-pictures.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
build=${1:-build}
out=${2:-docs}
cmake --build "$build" -j2 --target shot_reports
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tests/shot_reports" "$tmp"
for name in waffenbuch brief-behoerde brief-unterlagen; do
    pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$tmp/$name.pdf" "$out/$name"
done
echo "pictures in $out: waffenbuch.png brief-behoerde.png brief-unterlagen.png"
