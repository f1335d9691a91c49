#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""User-defined properties judged by readers written by others: LibreOffice headless (UNO)
for every kind, Apache POI (HPSF) for compound documents.

1. The samples of tests/data/custom_expected.json: LibreOffice, POI and quorvel-cli read
   --json must show the recorded names, types and values.
2. quorvel-cli write --custom into copies of a sample of each kind, then --remove-custom;
   LibreOffice and POI must see exactly that.
3. LibreOffice (fresh documents) and POI (code pages 932, 1200 and 1252) write user-defined
   properties; quorvel-cli read --json must show what they read back themselves.

With "-" for QUORVEL_CLI only the other readers run (parts 1 and 3, each against the other).
Everything runs with TZ=UTC: LibreOffice 7.4 keeps OOXML dates as wall-clock times.

usage: check_custom_with_other_readers.py QUORVEL_CLI DATA_DIR
Needs soffice (libreoffice-*-nogui), python3-uno, javac and libapache-poi-java."""

import json
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from other_readers import Office, Poi, Tally, run_cli  # noqa: E402

COMPOUND = (".doc", ".xls", ".ppt")
ODF = (".odt", ".ods", ".odp")
# The copy of each kind that quorvel-cli writes into: with and without a user-defined
# section, in code pages 932 and 1252.
WRITE_BASES = ["libscan_japanese.doc", "poi_SUBSTITUTE.xls", "tika_testPPT_custom_props.ppt",
               "lo_sample.docx", "lo_sample.xlsx", "lo_sample.pptx", "lo_sample.odt",
               "lo_sample.ods", "lo_sample.odp"]
# (name, type, canonical value, whether the type is given or left to be inferred)
WRITTEN = [("文書番号", "text", "QV-001", False), ("部署", "text", "総務部", True),
           ("承認日", "date", "2024-03-05T06:07:08Z", True), ("件数", "int", "42", False),
           ("比率", "real", "0.25", False), ("確認済", "bool", "true", False)]
REMOVED = ["部署", "件数"]
# Samples whose user-defined section is in code page 1252: Japanese names are refused there,
# the file left as it was, and Latin names written instead.
LATIN_SECTIONS = {"tika_testPPT_custom_props.ppt"}
WRITTEN_LATIN = [("Größe", "text", "Übergröße", False), ("Prüfdatum", "date",
                                                          "1999-12-31T23:59:59Z", True),
                 ("Stück", "int", "-7", False), ("Anteil", "real", "0.25", False),
                 ("Geprüft", "bool", "false", False)]
REMOVED_LATIN = ["Größe", "Stück"]
# What POI writes into copies of the compound samples, in which code page.
POI_WRITES = {".doc": (932, WRITTEN), ".xls": (1200, WRITTEN),
              ".ppt": (1252, [("Größe", "text", "Übergröße"), ("Prüfdatum", "date",
                                                              "1999-12-31T23:59:59Z"),
                              ("Stück", "int", "-7"), ("Anteil", "real", "1.5e-05"),
                              ("Geprüft", "bool", "false")])}
# Extended properties (docProps/app.xml) that LibreOffice lists among the user-defined ones.
LIBREOFFICE_EXTRAS = {"AppVersion", "Company", "DocSecurity", "HyperlinksChanged",
                      "LinksUpToDate", "ScaleCrop", "ShareDoc", "Manager"}

tally = Tally()


def same_value(kind, got, want):
    if want is None or kind == "other":
        return True
    if kind in ("int", "real"):
        try:
            return float(got) == float(want)
        except (TypeError, ValueError):
            return False
    return got == want


def compare(label, got, want, numbers_alike=False, extras=frozenset(), others_ok=False,
            cut_at_nul=False):
    """got and want are lists of {"name","type","value"}. numbers_alike: int and real are
    one type (ODF has only float); extras: names got may show beyond want; others_ok: so may
    entries of a type quorvel does not name; cut_at_nul: a text ends at its first NUL."""
    found = {entry["name"]: entry for entry in got}
    for entry in want:
        seen = found.pop(entry["name"], None)
        if seen is None:
            tally.fail(f"{label}: {entry['name']!r} missing ({entry})")
            continue
        kinds = {seen["type"], entry["type"]}
        same_kind = len(kinds) == 1 or (numbers_alike and kinds == {"int", "real"})
        tally.check(f"{label}: {entry['name']!r} type", seen["type"] if not same_kind
                    else entry["type"], entry["type"])
        value = seen["value"]
        if isinstance(value, str):
            value = value.split("\0")[0] if cut_at_nul else value.rstrip("\0")
        if not same_value(entry["type"], value, entry["value"]):
            tally.fail(f"{label}: {entry['name']!r} value: got {seen['value']!r},"
                       f" want {entry['value']!r}")
    for name in found:
        if name not in extras and not (others_ok and found[name]["type"] == "other"):
            tally.fail(f"{label}: unexpected {name!r} ({found[name]})")


def visible_to_libreoffice(entries):
    """LibreOffice leaves out the properties whose type it does not know, and lists the
    extended ones as it likes."""
    return [entry for entry in entries
            if entry["type"] != "other" and entry["name"] not in LIBREOFFICE_EXTRAS]


class Readers:
    """The other readers, and quorvel-cli when given."""

    def __init__(self, cli, work):
        self.cli = cli
        self.office = Office(work)
        self.poi = Poi(work)

    def close(self):
        self.office.close()

    def libreoffice(self, label, path, want, cut_at_nul=False):
        extension = os.path.splitext(path)[1].lower()
        try:
            got = self.office.read_custom(path)
        except Exception as error:  # a crash or a refusal is a finding, not the end
            tally.fail(f"{label}: LibreOffice: {error}")
            self.office.close()
            self.office = Office(os.path.dirname(self.office.profile))
            return
        compare(f"{label}: LibreOffice", got, visible_to_libreoffice(want),
                numbers_alike=extension in ODF, extras=LIBREOFFICE_EXTRAS, cut_at_nul=cut_at_nul)

    def apache_poi(self, label, path, want, others_ok=False):
        if os.path.splitext(path)[1].lower() not in COMPOUND:
            return
        dump = self.poi.dump(path)
        if "error" in dump:
            tally.fail(f"{label}: POI: {dump['error']}")
            return
        compare(f"{label}: POI", dump["custom"], want, others_ok=others_ok)

    def quorvel(self, label, path, want, others_ok=False):
        if self.cli == "-":
            return
        result = run_cli(self.cli, "read", "--json", path, tz="UTC")
        try:
            got = json.loads(result.stdout)["custom"]
        except (json.JSONDecodeError, KeyError, TypeError):
            tally.fail(f"{label}: quorvel-cli read --json: {result.stdout[:200]!r}"
                       f" {result.stderr[:200]!r}")
            return
        got = [{key: entry.get(key) for key in ("name", "type", "value")} for entry in got]
        # ODF has only float: a whole number reads as int, whoever wrote it.
        compare(f"{label}: quorvel-cli", got, want, others_ok=others_ok,
                numbers_alike=os.path.splitext(path)[1].lower() in ODF)

    def all(self, label, path, want):
        self.libreoffice(label, path, want)
        self.apache_poi(label, path, want)
        self.quorvel(label, path, want)


def entries(properties):
    return [{"name": name, "type": kind, "value": value} for name, kind, value, *_ in properties]


def check_samples(readers, data, expected):
    for sample, want in expected.items():
        readers.all(sample, os.path.join(data, sample), want)


def write_options(properties):
    options = []
    for name, kind, value, typed in properties:
        options += ["--custom", f"{name}={value}"]
        options += ["--custom-type", f"{name}={kind}"] if typed else []
    return options


def check_quorvel_writes(readers, data, expected, work):
    folder = os.path.join(work, "written")
    os.makedirs(folder)
    for base in WRITE_BASES:
        path = shutil.copy(os.path.join(data, base), folder)
        properties, removed = WRITTEN, REMOVED
        if base in LATIN_SECTIONS:
            with open(path, "rb") as original:
                before = original.read()
            result = run_cli(readers.cli, "write", *write_options(WRITTEN), path, tz="UTC")
            tally.check(f"{base}: Japanese names refused", result.returncode, 1)
            with open(path, "rb") as refused:
                tally.check(f"{base}: left as it was", refused.read() == before, True)
            properties, removed = WRITTEN_LATIN, REMOVED_LATIN
        written = {name for name, *_ in properties}
        kept = [entry for entry in expected.get(base, []) if entry["name"] not in written]
        result = run_cli(readers.cli, "write", "--create-missing", *write_options(properties),
                         path, tz="UTC")
        tally.check(f"{base}: write exit status ({result.stderr.strip()})", result.returncode, 0)
        readers.all(f"{base} written", path, kept + entries(properties))
        removal = [item for name in removed for item in ("--remove-custom", name)]
        result = run_cli(readers.cli, "write", *removal, path, tz="UTC")
        tally.check(f"{base}: remove exit status ({result.stderr.strip()})", result.returncode, 0)
        left = [entry for entry in entries(properties) if entry["name"] not in removed]
        readers.all(f"{base} after removal", path, kept + left)


def check_others_writes(readers, data, expected, work):
    folder = os.path.join(work, "others")
    os.makedirs(folder)
    for base in WRITE_BASES:
        extension = os.path.splitext(base)[1]
        path = os.path.join(folder, f"libreoffice{extension}")
        try:
            readers.office.write_new(path, [(n, k, v) for n, k, v, _ in WRITTEN])
            # LibreOffice stores every number as a real; what it reads back is the truth here.
            want = readers.office.read_custom(path)
        except Exception as error:
            tally.fail(f"LibreOffice {extension}: not written: {error}")
            continue
        want = [entry for entry in want if entry["name"] not in LIBREOFFICE_EXTRAS]
        compare(f"LibreOffice{extension} against what was asked", want, entries(WRITTEN),
                numbers_alike=True)
        # LibreOffice adds hyperlink and GUID blobs that it does not list itself.
        readers.apache_poi(f"LibreOffice{extension}", path, want, others_ok=True)
        readers.quorvel(f"LibreOffice{extension}", path, want, others_ok=True)
    for extension, (codepage, properties) in POI_WRITES.items():
        base = next(name for name in WRITE_BASES if name.endswith(extension))
        path = shutil.copy(os.path.join(data, base), os.path.join(folder, f"poi{extension}"))
        error = readers.poi.write(path, codepage,
                                  [(n, k, v) for n, k, v, *_ in properties])
        if error:
            tally.fail(f"POI {extension}: not written: {error}")
            continue
        # POI keeps the properties that were there; LibreOffice 7.4 takes the byte count of
        # an 8-bit string in a code page 1200 section for a count of characters.
        want = expected.get(base, []) + entries(properties)
        label = f"POI{extension} cp{codepage}"
        readers.libreoffice(label, path, want, cut_at_nul=codepage == 1200)
        readers.apache_poi(label, path, want)
        readers.quorvel(label, path, want)
        tally.check(f"POI{extension}: code page", readers.poi.dump(path).get("codepage"),
                    codepage)


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("usage: ")[1], file=sys.stderr)
        return 2
    cli, data = sys.argv[1], sys.argv[2]
    with open(os.path.join(data, "custom_expected.json"), encoding="utf-8") as f:
        expected = json.load(f)
    os.environ["TZ"] = "UTC"
    with tempfile.TemporaryDirectory() as work:
        os.environ["HOME"] = work  # a fresh Java and LibreOffice profile
        readers = Readers(cli, work)
        try:
            check_samples(readers, data, expected)
            if cli != "-":
                check_quorvel_writes(readers, data, expected, work)
            check_others_writes(readers, data, expected, work)
        finally:
            readers.close()
    return tally.report("user-defined properties: ")


if __name__ == "__main__":
    sys.exit(main())
