#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes every property into a handful of .docx/.xlsx/.pptx/.odt/.ods/.odp samples with
# quorvel-cli and checks the results with python-docx, openpyxl and LibreOffice headless; then
# the CSV round trip of quorvel-cli apply (edited with Python and re-saved by LibreOffice Calc),
# judged by olefile, python-docx, openpyxl and LibreOffice; then user-defined properties written
# and read by quorvel-cli, LibreOffice (UNO) and Apache POI; then PDF properties written by
# quorvel-cli and judged by qpdf, pdfinfo, exiftool and pikepdf.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(libreoffice-writer-nogui libreoffice-calc-nogui libreoffice-impress-nogui
          python3-docx python3-openpyxl python3-olefile python3-uno openjdk-17-jdk-headless
          libapache-poi-java poppler-utils libimage-exiftool-perl python3-pikepdf qpdf)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
dir=${1:-build}
[ -x "$dir/src/cli/quorvel-cli" ] || bash scripts/build.sh "$dir"
cmake --build "$dir" --target quorvel-cli
data=tests/data
/usr/bin/python3 tests/package/check_with_other_readers.py "$dir/src/cli/quorvel-cli" \
    "$data/pydocx_coreprops.docx" "$data/pydocx_no_coreprops.docx" "$data/lo_sample.docx" \
    "$data/lo_sample.xlsx" "$data/pypptx_embedded.xlsx" "$data/pypptx_properties.pptx" \
    "$data/lo_sample.pptx" "$data/odfpy_simpletable.odt" "$data/lo_sample.odt" \
    "$data/odfpy_pythagoras.ods" "$data/lo_sample.ods" "$data/odfpy_ol.odp" "$data/lo_sample.odp"
/usr/bin/python3 tests/export/check_apply_round_trip.py "$dir/src/cli/quorvel-cli" \
    "$data/poi_TestShiftJIS.doc" "$data/libscan_japanese.doc" "$data/lo_sample.docx" \
    "$data/lo_sample.xlsx" "$data/pypptx_properties.pptx" "$data/lo_sample.odt" \
    "$data/lo_sample.ods" "$data/odfpy_ol.odp"
TZ=UTC /usr/bin/python3 tests/package/check_custom_with_other_readers.py "$dir/src/cli/quorvel-cli" \
    "$data"
/usr/bin/python3 tests/pdf/check_pdf_with_other_readers.py "$dir/src/cli/quorvel-cli" "$data"
