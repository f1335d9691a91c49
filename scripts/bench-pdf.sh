#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# PDF speed, side by side with other programs in one run:
#   reading the properties of 2,000 PDFs (copies of the project's PDF samples): quorvel-cli
#   read --json over all of them, exiftool -j -PDF:all -XMP:all over all of them, and
#   pdfinfo run once per file;
#   the cost of reading one PDF of 1 MB and one of 500 MB with the same objects: time and the
#   bytes read from the document (strace);
#   writing a title into the 500 MB PDF (quorvel-cli write, an incremental update, with its
#   journal and time stamps), beside qpdf and pikepdf rewriting the whole file;
#   in process (bench_pdf), reading the properties of the 1 MB and the 500 MB PDF and writing
#   a title into each, per call.
#   scripts/bench-pdf.sh [BUILD_DIR]     (default build-release, a Release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash scripts/deps.sh libimage-exiftool-perl poppler-utils qpdf python3-pikepdf strace bc
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvel-cli bench_pdf >/dev/null
cli=$build/src/cli/quorvel-cli

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

# Bytes the command reads from files whose name ends with the given one.
bytesRead() {
    local name=$1
    shift
    strace -f -y -e trace=read,pread64 -o "$work/strace.txt" "$@" >/dev/null 2>&1
    awk -v name="$name>" 'index($0, name) { sum += $NF } END { print sum + 0 }' "$work/strace.txt"
}

echo "== Reading 2,000 PDFs (warm cache)"
/usr/bin/python3 bench/pdf/make_pdfs.py many "$work/many" 2000 tests/data/*.pdf
cat "$work"/many/*.pdf >/dev/null
ours=$(seconds "$cli" read --json "$work"/many/*.pdf)
exif=$(seconds exiftool -j -PDF:all -XMP:all "$work"/many)
poppler=$(seconds bash -c 'for f in "$0"/*.pdf; do pdfinfo -meta "$f"; done' "$work/many")
printf '  %-44s %7.2f s\n' "quorvel-cli read --json" "$ours" \
    "exiftool -j -PDF:all -XMP:all (one process)" "$exif" "pdfinfo -meta, once per file" "$poppler"
printf '  exiftool / quorvel-cli: %.1fx   pdfinfo / quorvel-cli: %.1fx\n' \
    "$(echo "$exif / $ours" | bc -l)" "$(echo "$poppler / $ours" | bc -l)"

echo "== One PDF of 1 MB and one of 500 MB, the same objects"
for size in 1 500; do
    /usr/bin/python3 bench/pdf/make_pdfs.py big "$work/big$size.pdf" "$size"
done
sync
for size in 1 500; do
    file=$work/big$size.pdf
    printf '  %4s MB: read %6.3f s, %8s bytes read from the document\n' "$size" \
        "$(seconds "$cli" read --json "$file")" "$(bytesRead "big$size.pdf" "$cli" read --json "$file")"
done

echo "== Writing a title into the 500 MB PDF"
file=$work/big500.pdf
printf '  %-36s %7.3f s\n' "quorvel-cli write (incremental update)" \
    "$(seconds "$cli" write --title "新しい題" "$file")"
printf '  %-36s %7.3f s\n' "qpdf, rewriting the file" "$(seconds qpdf "$file" "$work/qpdf.pdf")"
printf '  %-36s %7.3f s\n' "pikepdf, rewriting the file" "$(seconds /usr/bin/python3 -c '
import sys, pikepdf
with pikepdf.open(sys.argv[1]) as pdf:
    with pdf.open_metadata() as meta:
        meta["dc:title"] = "新しい題"
    pdf.save(sys.argv[2])' "$file" "$work/pikepdf.pdf")"
"$cli" read "$file" | sed -n 2p

echo "== In process, per call (bench_pdf: the door's read, and a title written and synced)"
for size in 1 500; do
    echo "  $size MB:"
    "$build/bench/bench_pdf" "$work/big$size.pdf" 2>/dev/null | awk '/^(read|write)/ { print "   ", $0 }'
done
