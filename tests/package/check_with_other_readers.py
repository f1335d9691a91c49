#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes every property field into sample packages with quorvel-cli, then checks that
readers written by others open the results and see the new values: python-docx and
openpyxl for Office Open XML, LibreOffice headless (through a flat ODF copy) for both.

usage: check_with_other_readers.py QUORVEL_CLI DOCUMENT...
Needs python3-docx, python3-openpyxl and soffice (libreoffice-*-nogui)."""

import datetime
import json
import os
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from other_readers import Tally, convert_to_flat, run_cli  # noqa: E402

TEXT = {
    "--title": "題名 Quorvel", "--subject": "件名", "--author": "作者 一郎",
    "--keywords": "鍵, 語", "--comments": "コメント\u3000です", "--template": "tmpl.dotx",
    "--last-author": "最終 保存者", "--revision": "7", "--app-name": "QuorvelApp",
    "--category": "分類X", "--company": "会社Y",
}
# Local time in Asia/Tokyo and the instant it names.
CREATED = ("2020-01-02 03:04:05", datetime.datetime(2020, 1, 1, 18, 4, 5))
LAST_SAVED = ("2022-05-06 07:08:09", datetime.datetime(2022, 5, 5, 22, 8, 9))
# Catalogue rows of the text fields, in the option order above.
ROWS = [0, 1, 2, 3, 4, 5, 6, 7, 16, 18, 31]
NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "meta": "urn:oasis:names:tc:opendocument:xmlns:meta:1.0",
    "dc": "http://purl.org/dc/elements/1.1/",
}
tally = Tally()
check = tally.check


def write_and_read_back(cli, path):
    before = json.loads(run_cli(cli, "read", "--json", path).stdout)
    options = [item for pair in TEXT.items() for item in pair]
    options += ["--created", CREATED[0], "--last-saved", LAST_SAVED[0], "--create-missing"]
    result = run_cli(cli, "write", *options, path)
    check(f"{path}: write", result.returncode, 0)
    after = json.loads(run_cli(cli, "read", "--json", path).stdout)
    for row, text in zip(ROWS, TEXT.values()):
        check(f"{path}: quorvel row {row}", after["entries"][row]["text"], text)
    return before["entries"]


def had_date(entries, row):
    return len(entries) > row and entries[row]["isTime"]


def check_python_readers(path, before):
    if path.endswith(".docx"):
        import docx
        props = docx.Document(path).core_properties
    elif path.endswith(".xlsx"):
        import openpyxl
        props = openpyxl.load_workbook(path).properties
    else:
        return
    expected = {"title": "--title", "subject": "--subject", "keywords": "--keywords",
                "category": "--category"}
    expected.update({"author": "--author", "comments": "--comments",
                     "last_modified_by": "--last-author"} if path.endswith(".docx") else
                    {"creator": "--author", "description": "--comments",
                     "lastModifiedBy": "--last-author"})
    for attribute, option in expected.items():
        check(f"{path}: python {attribute}", getattr(props, attribute), TEXT[option])
    if had_date(before, 10):
        check(f"{path}: python created", props.created.replace(tzinfo=None), CREATED[1])


def instant(text, zoneless_utc):
    """The UTC instant of an ISO date. LibreOffice keeps the UTC clock of an OOXML date and
    writes it without a zone; a zoneless ODF date is local (Tokyo) time."""
    moment = datetime.datetime.fromisoformat(text.replace("Z", "+00:00"))
    if moment.tzinfo is None:
        offset = datetime.timedelta(hours=0 if zoneless_utc else 9)
        moment = moment.replace(tzinfo=datetime.timezone(offset))
    return moment.astimezone(datetime.timezone.utc).replace(tzinfo=None, microsecond=0)


def check_libreoffice(paths, befores, outdir):
    for path, before in zip(paths, befores):
        extension = os.path.splitext(path)[1]
        flat = convert_to_flat(path, outdir)
        if flat is None:
            tally.fail(f"{path}: LibreOffice did not open it")
            continue
        meta = ET.parse(flat).getroot().find("office:meta", NS)
        found = lambda name: (meta.findtext(name, default="", namespaces=NS) or "")
        check(f"{path}: LibreOffice title", found("dc:title"), TEXT["--title"])
        check(f"{path}: LibreOffice subject", found("dc:subject"), TEXT["--subject"])
        check(f"{path}: LibreOffice description", found("dc:description"), TEXT["--comments"])
        check(f"{path}: LibreOffice initial creator", found("meta:initial-creator"),
              TEXT["--author"])
        keywords = [k.text for k in meta.findall("meta:keyword", NS)]
        check(f"{path}: LibreOffice keywords", ", ".join(keywords), TEXT["--keywords"])
        if had_date(before, 10):
            ooxml = extension in (".docx", ".xlsx", ".pptx")
            check(f"{path}: LibreOffice creation date",
                  instant(found("meta:creation-date"), ooxml), CREATED[1])


def main():
    cli, documents = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as work:
        os.environ["HOME"] = work  # a fresh LibreOffice profile
        written, befores = [], []
        for document in documents:
            path = os.path.join(work, os.path.basename(document))
            shutil.copyfile(document, path)
            before = write_and_read_back(cli, path)
            check_python_readers(path, before)
            written.append(path)
            befores.append(before)
        check_libreoffice(written, befores, os.path.join(work, "flat"))
    return tally.report(f"{len(documents)} documents, ")


if __name__ == "__main__":
    sys.exit(main())
