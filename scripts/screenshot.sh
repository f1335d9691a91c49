#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Quorvel and saves pictures of its window for the manual (docs/manual/images) and
# the README (docs/screenshot.png, the main window with sample documents listed and the
# first one shown). Runs under a virtual X server; the documents come from tests/data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
cmake --build build --target quorvel_screenshot
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Copies in a small folder tree, so that the samples' own time stamps and bits stay as they are.
docs="$work/書類"
mkdir -p "$docs/2025年度" "$docs/2026年度/営業" "$docs/2026年度/総務"
cp tests/data/libscan_japanese.doc tests/data/poi_TestShiftJIS.doc "$docs/2026年度/営業/"
cp tests/data/poi_30540.xls tests/data/poi_SUBSTITUTE.xls "$docs/2026年度/総務/"
chmod -R u+w "$docs"
mkdir -p docs/manual/images
# As a user in Japan sees it.
TZ=Asia/Tokyo LANG=ja_JP.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/tests/ui/quorvel_screenshot docs/manual/images "$docs" \
    "$docs"/2026年度/営業/*.doc "$docs"/2026年度/総務/*.xls
cp docs/manual/images/main.png docs/screenshot.png
echo "Saved docs/manual/images/*.png and docs/screenshot.png"
