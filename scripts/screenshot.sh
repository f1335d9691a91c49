#!/usr/bin/env bash
# Builds Quorvel and saves a picture of the main window with sample documents listed and
# the first one shown: docs/screenshot.png. Runs under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
corpus=$(sed -n 's/^QUORVEL_CORPUS_DIR:PATH=//p' build/CMakeCache.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Copies, so that the samples' own time stamps and bits stay as they are.
for sample in word/libscan_japanese.doc word/poi_TestShiftJIS.doc excel/poi_30540.xls \
              excel/poi_SUBSTITUTE.xls; do
    cp "$corpus/$sample" "$work/"
done
chmod u+w "$work"/*
# As a user in Japan sees it.
TZ=Asia/Tokyo LANG=ja_JP.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/ui/quorvel_screenshot docs/screenshot.png \
    "$work"/*.doc "$work"/*.xls
echo "Saved docs/screenshot.png"
