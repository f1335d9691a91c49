#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The spreadsheet round trip of quorvel-cli apply, judged by readers written by others.

Exports sample documents (compound, Office Open XML, OpenDocument), edits the CSV with
Python's csv module, saves it once as it is and once through LibreOffice Calc headless in code
page 932 and in UTF-8, and applies each to fresh copies of the documents. A new export must
show every edited cell with its new value and every other cell as before (the file's creation
and access times aside: a rewritten package is a new file); olefile, python-docx, openpyxl
and LibreOffice must read the new titles. Then quorvel-cli undo must bring back the first
export (the same two times aside: Linux lets no one set a creation time).

usage: check_apply_round_trip.py QUORVEL_CLI DOCUMENT...
Needs python3-olefile, python3-docx, python3-openpyxl and soffice (libreoffice-*-nogui)."""

import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "package"))
from other_readers import Tally, convert_to_flat, run_cli  # noqa: E402

LEFT_OUT = {"ファイル作成日時", "ファイルアクセス日時"}
# LibreOffice's CSV filter: comma, double quote, the character set, from line 1, every
# column as text, so that Calc keeps each cell's characters.
CALC_CHARSETS = {"cp932": "60", "utf-8": "76"}
tally = Tally()
check = tally.check


def export(cli, paths, out):
    run_cli(cli, "export", "--encoding", "utf-8", "--out", out, *paths)
    with open(out, encoding="utf-8-sig", newline="") as f:
        return list(csv.reader(f))


def edited(rows):
    """New titles for every file, a comment with a comma, quotes and a line break for every
    other one; the cells changed, by (file, column)."""
    header, changes = rows[0], {}
    for number, row in enumerate(rows[1:]):
        row[header.index("Title")] = f"題 {number} Quorvel"
        changes[(row[1], "Title")] = row[header.index("Title")]
        if number % 2 == 0:
            row[header.index("Comment")] = f'コメント, "{number}"\n二行目'
            changes[(row[1], "Comment")] = row[header.index("Comment")]
    return changes


def calc_resave(source, charset, outdir):
    """The CSV as LibreOffice Calc saves it again in the given character set."""
    os.makedirs(outdir, exist_ok=True)
    options = f"44,34,{CALC_CHARSETS[charset]},1"
    subprocess.run(["soffice", "--headless", f"--infilter=CSV:44,34,76,1",
                    "--convert-to", f"csv:Text - txt - csv (StarCalc):{options}",
                    "--outdir", outdir, source], capture_output=True, check=False, timeout=300)
    return os.path.join(outdir, os.path.basename(source))


def title_by_other_reader(path, outdir):
    extension = os.path.splitext(path)[1]
    if extension in (".doc", ".xls"):
        import olefile
        with olefile.OleFileIO(path) as ole:
            meta = ole.get_metadata()
            codepage = meta.codepage if meta.codepage not in (None, 1200) else None
            title = meta.title
            return title.decode(f"cp{codepage}" if codepage else "utf-8") if title else ""
    if extension == ".docx":
        import docx
        return docx.Document(path).core_properties.title
    if extension == ".xlsx":
        import openpyxl
        return openpyxl.load_workbook(path).properties.title
    flat = convert_to_flat(path, outdir)
    if flat is None:
        return None
    ns = {"office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
          "dc": "http://purl.org/dc/elements/1.1/"}
    return ET.parse(flat).getroot().find("office:meta", ns).findtext("dc:title", "", ns)


def round_trip(cli, documents, work, variant, sheet_of):
    folder = os.path.join(work, variant)
    os.makedirs(folder)
    paths = [shutil.copy(document, folder) for document in documents]
    before = export(cli, paths, os.path.join(folder, "before.csv"))
    rows = [list(row) for row in before]
    changes = edited(rows)
    text = io.StringIO()
    csv.writer(text, lineterminator="\r\n").writerows(rows)
    sheet = sheet_of(text.getvalue(), folder)
    os.environ["QUORVEL_JOURNAL_DIR"] = os.path.join(folder, "journal")
    result = run_cli(cli, "apply", sheet, text=False)
    check(f"{variant}: apply exit status ({result.stderr.decode(errors='replace')})",
          result.returncode, 0)
    after = export(cli, paths, os.path.join(folder, "after.csv"))
    header = after[0]
    check(f"{variant}: files", len(after), len(before))
    for old, new in zip(before[1:], after[1:]):
        for column, old_cell, new_cell in zip(header, old, new):
            if column not in LEFT_OUT:
                want = changes.get((old[1], column), old_cell)
                check(f"{variant}: {os.path.basename(old[1])} {column}", new_cell, want)
    for path in paths:
        check(f"{variant}: {os.path.basename(path)} title by another reader",
              title_by_other_reader(path, os.path.join(folder, "flat")),
              changes[(path, "Title")])
    result = run_cli(cli, "undo", text=False)
    check(f"{variant}: undo exit status ({result.stderr.decode(errors='replace')})",
          result.returncode, 0)
    undone = export(cli, paths, os.path.join(folder, "undone.csv"))
    for old, new in zip(before[1:], undone[1:]):
        for column, old_cell, new_cell in zip(header, old, new):
            if column not in LEFT_OUT:
                check(f"{variant}: undone {os.path.basename(old[1])} {column}", new_cell, old_cell)


def main():
    cli, documents = sys.argv[1], sys.argv[2:]

    def python_utf8(text, folder):
        path = os.path.join(folder, "edited.csv")
        with open(path, "w", encoding="utf-8-sig", newline="") as f:
            f.write(text)
        return path

    def calc(charset):
        def resave(text, folder):
            return calc_resave(python_utf8(text, folder), charset, os.path.join(folder, "calc"))
        return resave

    with tempfile.TemporaryDirectory() as work:
        os.environ["HOME"] = work  # a fresh LibreOffice profile
        for variant, sheet_of in (("python csv, UTF-8", python_utf8),
                                  ("LibreOffice Calc, cp932", calc("cp932")),
                                  ("LibreOffice Calc, UTF-8", calc("utf-8"))):
            round_trip(cli, documents, work, variant, sheet_of)
    return tally.report(f"{len(documents)} documents, 3 ways of saving the CSV: ")


if __name__ == "__main__":
    sys.exit(main())
