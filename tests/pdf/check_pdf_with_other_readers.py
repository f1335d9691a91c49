#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""PDF properties written by quorvel-cli, judged by readers written by others: qpdf --check,
pdfinfo (poppler), exiftool and pikepdf, then quorvel-cli read --json itself.

1. Reading: for every sample, quorvel-cli read --json shows what pikepdf finds in Info (or,
   where Info lacks a field, in XMP); damaged and encrypted samples give a code, never a crash.
2. Writing: into a copy of each writable sample, two updates one on top of the other (ASCII
   and Latin text first, then Japanese), each judged by every reader: the old bytes stay as
   they were, the update is clean for qpdf, every reader shows the new values in Info and in
   XMP, Info and XMP agree, a PDF/A file stays PDF/A.
3. Refusals: encrypted, signed and damaged files give their code and stay byte for byte as
   they were; a field PDF has no place for gives its code with the rest written.

Some refused kinds have no public sample and are made here at run time from the samples:
a truncated file, junk before %PDF-, a wrong startxref offset, a /DocMDP certification.

usage: check_pdf_with_other_readers.py QUORVEL_CLI DATA_DIR
Needs qpdf, pdfinfo (poppler-utils), exiftool (libimage-exiftool-perl) and python3-pikepdf."""

import datetime
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "package"))
from other_readers import Tally, run_cli  # noqa: E402

import pikepdf  # noqa: E402

# Samples quorvel-cli must write into, and what each stands for.
WRITABLE = {
    "pikepdf_fourpages.pdf": "classic cross-reference table, Info only",
    "pikepdf_formxobject.pdf": "Info and XMP",
    "pikepdf_outlines.pdf": "cross-reference stream, Info in an object stream",
    "pypdf_metadata.pdf": "cross-reference stream, object streams, full Info",
    "qpdf_hybrid-xref.pdf": "table with /XRefStm, no Info",
    "qpdf_lin3.pdf": "linearized, XMP",
    "pdfjs_japanese_title.pdf": "linearized, Japanese UTF-16BE Info",
    "verapdf_pdfdoc_keywords.pdf": "PDFDocEncoding keywords, Info and XMP disagree",
    "verapdf_pdfa1b_info.pdf": "PDF/A-1b",
}
CANNOT_OPEN, ENCRYPTED, SIGNED, DAMAGED, NO_PLACE = 104, 160, 161, 162, 163
REFUSED = {"pypdf_r2-empty-password.pdf": ENCRYPTED, "pypdf_r6-empty-password.pdf": ENCRYPTED,
           "qpdf_V4-aes.pdf": ENCRYPTED, "qpdf_digitally-signed.pdf": SIGNED,
           "qpdf_bad-xref-entry.pdf": DAMAGED}

# Two rounds of values, the second written on top of the first. Dates are local times of
# TZ=Asia/Tokyo, which quorvel-cli writes with their offset.
ROUNDS = [
    {"title": "Quarterly report", "author": "Zoë Müller", "subject": "Sales figures",
     "keywords": "sales, 2024", "app": "Quorvel judge", "company": "Example Corp",
     "created": "2024-03-05 06:07:08", "saved": "2024-03-06 07:08:09",
     "custom": ("Project", "Falcon")},
    {"title": "四半期報告書", "author": "山田 太郎", "subject": "売上の集計",
     "keywords": "売上, 年度末", "app": "文書ツール 2.0", "company": "株式会社サンプル",
     "created": "2023-01-02 03:04:05", "saved": "2025-12-31 23:59:58",
     "custom": ("Department", "営業部")},
]
WRITE_TZ = "Asia/Tokyo"
TEXT_OPTIONS = {"title": "--title", "author": "--author", "subject": "--subject",
                "keywords": "--keywords", "app": "--app-name", "company": "--company"}
# Where each reader keeps each field: Info key, pikepdf XMP key, exiftool tags.
INFO_KEY = {"title": "/Title", "author": "/Author", "subject": "/Subject", "keywords": "/Keywords",
            "app": "/Creator", "company": "/Company", "created": "/CreationDate",
            "saved": "/ModDate"}
XMP_KEY = {"title": "dc:title", "author": "dc:creator", "subject": "dc:description",
           "keywords": "pdf:Keywords", "app": "xmp:CreatorTool", "created": "xmp:CreateDate",
           "saved": "xmp:ModifyDate"}
PDFINFO_KEY = {"title": "Title", "author": "Author", "subject": "Subject",
               "keywords": "Keywords", "app": "Creator", "company": "Company",
               "created": "CreationDate", "saved": "ModDate"}
EXIF_PDF = {"title": "Title", "author": "Author", "subject": "Subject", "keywords": "Keywords",
            "app": "Creator", "company": "Company", "created": "CreateDate",
            "saved": "ModifyDate"}
EXIF_XMP = {"title": "Title", "author": "Creator", "subject": "Description",
            "keywords": "Keywords", "app": "CreatorTool", "created": "CreateDate",
            "saved": "ModifyDate"}
# The dates of early XMP (pdf:CreationDate, pdf:ModDate): when a packet still holds them, they
# must tell the written dates too.
EXIF_XMP_LEGACY = {"created": "CreationDate", "saved": "ModDate"}
# quorvel-cli read --json entry index of each field.
ENTRY = {"title": 0, "subject": 1, "author": 2, "keywords": 3, "created": 10, "saved": 11,
         "app": 16, "company": 31}
DATES = ("created", "saved")
FILETIME_UNIX_DIFF = 11644473600

tally = Tally()


def moment(text):
    """An aware datetime from the date texts of the readers: PDF "D:YYYYMMDDHHmmSS+hh'mm'",
    ISO 8601 (XMP, pdfinfo -isodates) and exiftool's "YYYY:MM:DD HH:MM:SS+hh:mm"; None when
    it is none of these."""
    found = re.search(r"(\d{4})[-:]?(\d\d)[-:]?(\d\d)[T ]?(\d\d):?(\d\d):?(\d\d)"
                      r"(?:\.\d+)?\s*(Z|[+-]\d\d(?:'?:?\d\d'?)?)?", str(text))
    if not found:
        return None
    fields = [int(part) for part in found.groups()[:6]]
    zone = found.group(7) or "Z"
    offset = datetime.timedelta(0)
    if zone != "Z":
        digits = re.sub(r"\D", "", zone)
        offset = datetime.timedelta(hours=int(digits[:2]), minutes=int(digits[2:4] or 0))
        offset = -offset if zone.startswith("-") else offset
    return datetime.datetime(*fields, tzinfo=datetime.timezone(offset))


def wanted_moment(local_text):
    from zoneinfo import ZoneInfo
    naive = datetime.datetime.strptime(local_text, "%Y-%m-%d %H:%M:%S")
    return naive.replace(tzinfo=ZoneInfo(WRITE_TZ))


def same(field, got, want):
    if field in DATES:
        return moment(got) is not None and moment(got) == wanted_moment(want)
    if isinstance(got, (list, tuple)):
        got = "; ".join(str(item) for item in got) if field == "author" else ", ".join(
            str(item) for item in got)
    return str(got) == want


def expect_fields(label, values, wanted, fields):
    """values maps a field to what a reader showed (missing: not shown)."""
    for field in fields:
        want = wanted[field]
        if field not in values:
            tally.fail(f"{label}: {field} missing, want {want!r}")
        elif not same(field, values[field], want):
            tally.fail(f"{label}: {field}: got {values[field]!r}, want {want!r}")
        else:
            tally.check(label, True, True)


def cli_code(result):
    """The message code quorvel-cli printed for the one file it was given."""
    found = re.search(r": (\d+) ", result.stdout)
    return int(found.group(1)) if found else None


def read_quorvel(cli, path):
    result = run_cli(cli, "read", "--json", path, tz="UTC")
    if result.returncode < 0:
        return {"crash": result.returncode}
    try:
        return json.loads(result.stdout)
    except json.JSONDecodeError:
        return {"error": (result.stdout + result.stderr)[:300]}


def quorvel_values(document):
    values = {}
    for field, index in ENTRY.items():
        entry = document["entries"][index]
        if field in DATES:
            if entry["isTime"]:
                seconds = entry["time"] // 10_000_000 - FILETIME_UNIX_DIFF
                values[field] = datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc)
        elif entry["text"]:
            values[field] = entry["text"]
    for custom in document.get("custom", []):
        values["custom:" + custom["name"]] = custom["value"]
    return values


def pikepdf_values(path):
    """Info and XMP as pikepdf reads them: ({field: text}, {field: text}, pdfa status, ID)."""
    with pikepdf.open(path) as pdf:
        info = {field: str(pdf.docinfo[key]) for field, key in INFO_KEY.items()
                if key in pdf.docinfo}
        for key, value in pdf.docinfo.items():
            info["custom:" + str(key)[1:]] = str(value)
        meta = pdf.open_metadata()
        xmp = {field: meta[key] for field, key in XMP_KEY.items() if key in meta}
        ids = [bytes(item) for item in pdf.trailer.get("/ID", [])]
        return info, xmp, meta.pdfa_status, ids


def info_and_xmp_agree(label, info, xmp):
    for field in XMP_KEY:
        if field in info and field in xmp and not same_texts(field, info[field], xmp[field]):
            tally.fail(f"{label}: Info {field} {info[field]!r} but XMP {xmp[field]!r}")
        else:
            tally.check(label, True, True)


def same_texts(field, a, b):
    if field in DATES:
        return moment(a) == moment(b)
    if isinstance(b, (list, tuple)):
        b = "; ".join(str(item) for item in b)
    return str(a) == str(b)


# 1. Reading ------------------------------------------------------------------------------


def check_reading(cli, data):
    for sample in list(WRITABLE) + list(REFUSED):
        path = os.path.join(data, sample)
        document = read_quorvel(cli, path)
        label = f"{sample} read"
        if "crash" in document or "error" in document:
            tally.fail(f"{label}: {document}")
            continue
        if REFUSED.get(sample) == DAMAGED:
            tally.check(f"{label}: entries or none", len(document["entries"]) in (0, 33), True)
            continue
        tally.check(f"{label}: code", document["code"], 0)
        info, xmp, _, _ = pikepdf_values(path)
        got = quorvel_values(document)
        for field in ENTRY:
            want = info.get(field) or xmp.get(field)
            if not want:
                continue
            if isinstance(want, (list, tuple)):
                want = "; ".join(want)
            ok = (moment(got.get(field)) == moment(want)) if field in DATES else \
                got.get(field) == str(want)
            if not ok:
                tally.fail(f"{label}: {field}: quorvel {got.get(field)!r}, pikepdf {want!r}")
            else:
                tally.check(label, True, True)


# 2. Writing ------------------------------------------------------------------------------


def write_options(values):
    options = []
    for field, option in TEXT_OPTIONS.items():
        options += [option, values[field]]
    name, value = values["custom"]
    return options + ["--created", values["created"], "--last-saved", values["saved"],
                      "--custom", f"{name}={value}"]


def last_section(data):
    """The kind of the last cross-reference section and its /Prev."""
    offsets = re.findall(rb"startxref\s+(\d+)", data)
    if not offsets:
        return None, None
    start = int(offsets[-1])
    kind = "table" if data[start:start + 4] == b"xref" else "stream"
    prev = re.search(rb"/Prev\s+(\d+)", data[start:])
    return kind, int(prev.group(1)) if prev else None


def check_structure(label, before, after):
    tally.check(f"{label}: old bytes kept", after[:len(before)] == before, True)
    tally.check(f"{label}: something appended", len(after) > len(before), True)
    kind_before, _ = last_section(before)
    kind_after, prev = last_section(after)
    tally.check(f"{label}: cross-reference kind", kind_after, kind_before)
    old_start = int(re.findall(rb"startxref\s+(\d+)", before)[-1])
    tally.check(f"{label}: /Prev", prev, old_start)


def check_qpdf(label, path):
    result = subprocess.run(["qpdf", "--check", path], capture_output=True, text=True,
                            check=False)
    output = (result.stdout + result.stderr).strip()
    clean = result.returncode == 0 and "WARNING" not in output and "ERROR" not in output
    if not clean:
        tally.fail(f"{label}: qpdf --check (exit {result.returncode}): {output[-400:]}")
    else:
        tally.check(label, True, True)


def check_pdfinfo(label, path, wanted):
    result = subprocess.run(["pdfinfo", "-isodates", "-custom", "-enc", "UTF-8", path],
                            capture_output=True, text=True, check=False)
    values = {}
    for line in result.stdout.splitlines():
        key, _, value = line.partition(":")
        values[key.strip()] = value.strip()
    shown = {field: values[key] for field, key in PDFINFO_KEY.items() if key in values}
    name, value = wanted["custom"]
    expect_fields(f"{label}: pdfinfo", shown, wanted, list(PDFINFO_KEY))
    tally.check(f"{label}: pdfinfo custom {name}", values.get(name), value)
    meta = subprocess.run(["pdfinfo", "-meta", path], capture_output=True, text=True,
                          check=False).stdout
    for field in ("title", "author", "subject", "keywords", "app"):
        if wanted[field] not in meta:
            tally.fail(f"{label}: pdfinfo -meta lacks {field} {wanted[field]!r}")
        else:
            tally.check(label, True, True)


def check_exiftool(label, path, wanted):
    result = subprocess.run(["exiftool", "-j", "-G", "-PDF:all", "-XMP:all", path],
                            capture_output=True, text=True, check=False)
    try:
        tags = json.loads(result.stdout)[0]
    except (json.JSONDecodeError, IndexError):
        tally.fail(f"{label}: exiftool: {result.stderr.strip()[:300]}")
        return
    for group, names in (("PDF", EXIF_PDF), ("XMP", EXIF_XMP)):
        shown = {field: tags[f"{group}:{tag}"] for field, tag in names.items()
                 if f"{group}:{tag}" in tags}
        expect_fields(f"{label}: exiftool {group}", shown, wanted, list(names))
    legacy = {field: tags[f"XMP:{tag}"] for field, tag in EXIF_XMP_LEGACY.items()
              if f"XMP:{tag}" in tags}
    expect_fields(f"{label}: exiftool XMP (early pdf: dates)", legacy, wanted, list(legacy))
    name, value = wanted["custom"]
    tally.check(f"{label}: exiftool PDF:{name}", tags.get(f"PDF:{name}"), value)


def check_pikepdf(label, path, wanted, ids_before, pdfa, xmp_readable):
    """ids_before: the sample's /ID and the one before this write; xmp_readable: whether
    pikepdf read anything from the sample's own XMP (an early packet without x:xmpmeta reads
    as empty, before the write as after). The /ID after the write, for the next one."""
    original_ids, previous_ids = ids_before
    try:
        info, xmp, status, ids = pikepdf_values(path)
    except Exception as error:  # any refusal of the written file is the finding
        tally.fail(f"{label}: pikepdf: {error}")
        return previous_ids
    expect_fields(f"{label}: pikepdf Info", info, wanted, list(INFO_KEY))
    if xmp_readable:
        expect_fields(f"{label}: pikepdf XMP", xmp, wanted, list(XMP_KEY))
    else:
        print(f"NOTE {label}: pikepdf reads nothing from this XMP packet; left to the others")
    name, value = wanted["custom"]
    tally.check(f"{label}: pikepdf Info {name}", info.get("custom:" + name), value)
    info_and_xmp_agree(f"{label}: pikepdf", info, xmp)
    tally.check(f"{label}: PDF/A status", status, pdfa)
    tally.check(f"{label}: two IDs", len(ids), 2)
    if original_ids:
        tally.check(f"{label}: first ID kept", ids[:1], original_ids[:1])
    tally.check(f"{label}: a new second ID", ids[1:] != previous_ids[1:], True)
    return ids


def check_quorvel(label, cli, path, wanted):
    document = read_quorvel(cli, path)
    if "entries" not in document:
        tally.fail(f"{label}: quorvel-cli read: {document}")
        return
    tally.check(f"{label}: quorvel-cli read code", document["code"], 0)
    values = quorvel_values(document)
    expect_fields(f"{label}: quorvel-cli", values, wanted, list(ENTRY))
    name, value = wanted["custom"]
    tally.check(f"{label}: quorvel-cli custom {name}", values.get("custom:" + name), value)


def check_writes(cli, data, work):
    for sample in WRITABLE:
        path = shutil.copy(os.path.join(data, sample), os.path.join(work, sample))
        _, xmp, pdfa, original_ids = pikepdf_values(path)
        with pikepdf.open(path) as pdf:
            xmp_readable = bool(xmp) or "/Metadata" not in pdf.Root
        ids = original_ids
        for number, wanted in enumerate(ROUNDS, 1):
            label = f"{sample} write {number}"
            with open(path, "rb") as f:
                before = f.read()
            result = run_cli(cli, "write", *write_options(wanted), path, tz=WRITE_TZ)
            tally.check(f"{label}: exit status ({result.stdout.strip()} {result.stderr.strip()})",
                        result.returncode, 0)
            with open(path, "rb") as f:
                after = f.read()
            if after == before:
                tally.fail(f"{label}: file not changed")
                break
            check_structure(label, before, after)
            check_qpdf(label, path)
            check_pdfinfo(label, path, wanted)
            check_exiftool(label, path, wanted)
            ids = check_pikepdf(label, path, wanted, (original_ids, ids), pdfa, xmp_readable)
            check_quorvel(label, cli, path, wanted)


# 3. Refusals -----------------------------------------------------------------------------


def made_samples(data, work):
    """Refused kinds made at run time from the samples: {path: allowed codes}."""
    made = {}
    with open(os.path.join(data, "pypdf_metadata.pdf"), "rb") as f:
        stream_sample = f.read()
    with open(os.path.join(data, "pikepdf_fourpages.pdf"), "rb") as f:
        table_sample = f.read()
    start = table_sample.rindex(b"startxref")
    wrong_offset = table_sample[:start] + re.sub(rb"\d+", lambda m: str(int(m.group()) + 7)
                                                 .encode(), table_sample[start:], count=1)
    # A file cut short has no startxref to start from; one the reader cannot open at all is
    # refused as such.
    for name, content, codes in (
            ("made_cut_before_xref.pdf", table_sample[:table_sample.rindex(b"\nxref")],
             (DAMAGED, CANNOT_OPEN)),
            ("made_cut_in_objects.pdf", stream_sample[:len(stream_sample) * 2 // 3],
             (DAMAGED, CANNOT_OPEN)),
            ("made_junk_before_header.pdf", b"JUNK\r\n" * 20 + table_sample, (DAMAGED,)),
            ("made_wrong_startxref.pdf", wrong_offset, (DAMAGED,))):
        path = os.path.join(work, name)
        with open(path, "wb") as f:
            f.write(content)
        made[path] = codes
    certified = os.path.join(work, "made_docmdp_certified.pdf")
    with pikepdf.open(os.path.join(data, "pikepdf_fourpages.pdf")) as pdf:
        signature = pdf.make_indirect(pikepdf.Dictionary(
            Type=pikepdf.Name.Sig, Filter=pikepdf.Name("/Adobe.PPKLite"),
            SubFilter=pikepdf.Name("/adbe.pkcs7.detached"), ByteRange=[0, 0, 0, 0],
            Contents=pikepdf.String(b"\0" * 64),
            Reference=[pikepdf.Dictionary(Type=pikepdf.Name.SigRef,
                                          TransformMethod=pikepdf.Name.DocMDP,
                                          TransformParams=pikepdf.Dictionary(
                                              Type=pikepdf.Name.TransformParams, P=2,
                                              V=pikepdf.Name("/1.2")))]))
        pdf.Root.Perms = pikepdf.Dictionary(DocMDP=signature)
        pdf.save(certified)
    made[certified] = (SIGNED,)
    return made


def check_refusals(cli, data, work):
    cases = {shutil.copy(os.path.join(data, sample), os.path.join(work, sample)): (code,)
             for sample, code in REFUSED.items()}
    cases.update(made_samples(data, work))
    for path, codes in cases.items():
        label = os.path.basename(path)
        with open(path, "rb") as f:
            before = f.read()
        result = run_cli(cli, "write", *write_options(ROUNDS[0]), path, tz=WRITE_TZ)
        tally.check(f"{label}: refusal code ({result.stdout.strip()})",
                    cli_code(result) in codes, True)
        tally.check(f"{label}: refusal exit status", result.returncode, 1)
        with open(path, "rb") as f:
            tally.check(f"{label}: left byte for byte", f.read() == before, True)
    # A field PDF has no place for: its code, and the rest written.
    path = shutil.copy(os.path.join(data, "pikepdf_fourpages.pdf"),
                       os.path.join(work, "no_place.pdf"))
    result = run_cli(cli, "write", "--title", "Kept title", "--comments", "nowhere",
                     "--category", "nowhere", path, tz=WRITE_TZ)
    tally.check(f"no place: code ({result.stdout.strip()})", cli_code(result), NO_PLACE)
    check_qpdf("no place", path)
    document = read_quorvel(cli, path)
    tally.check("no place: title written", quorvel_values(document).get("title")
                if "entries" in document else document, "Kept title")


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("usage: ")[1], file=sys.stderr)
        return 2
    cli, data = sys.argv[1], sys.argv[2]
    parts = os.environ.get("PDF_JUDGE_PARTS", "read,write,refuse").split(",")
    with tempfile.TemporaryDirectory() as work:
        if "read" in parts:
            check_reading(cli, data)
        if "write" in parts:
            os.makedirs(os.path.join(work, "written"))
            check_writes(cli, data, os.path.join(work, "written"))
        if "refuse" in parts:
            os.makedirs(os.path.join(work, "refused"))
            check_refusals(cli, data, os.path.join(work, "refused"))
    return tally.report("PDF: ")


if __name__ == "__main__":
    sys.exit(main())
