# SPDX-License-Identifier: GPL-3.0-or-later
"""What the scripts that judge quorvel-cli's writes with other programs share: the tally of
checks, running quorvel-cli, LibreOffice headless (a flat ODF copy, or a UNO session) and the
Apache POI dump of compound documents."""

import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

FLAT = {".doc": "fodt", ".docx": "fodt", ".odt": "fodt", ".xls": "fods", ".xlsx": "fods",
        ".ods": "fods", ".ppt": "fodp", ".pptx": "fodp", ".odp": "fodp"}


class Tally:
    """Counts checks and keeps the failed ones for the closing summary."""

    def __init__(self):
        self.checks = 0
        self.failures = []

    def check(self, what, got, want):
        self.checks += 1
        if got != want:
            self.failures.append(f"{what}: got {got!r}, want {want!r}")

    def fail(self, what):
        self.checks += 1
        self.failures.append(what)

    def report(self, prefix=""):
        for failure in self.failures:
            print("FAIL", failure)
        print(f"{prefix}{self.checks} checks, {len(self.failures)} failures")
        return 1 if self.failures else 0


def run_cli(cli, *args, tz="Asia/Tokyo", text=True):
    env = dict(os.environ, TZ=tz)
    return subprocess.run([cli, *args], env=env, capture_output=True, text=text, check=False)


def convert_to_flat(path, outdir, tz="Asia/Tokyo"):
    """LibreOffice's flat ODF copy of a document, or None when it could not open it."""
    extension = os.path.splitext(path)[1].lower()
    subprocess.run(["soffice", "--headless", "--convert-to", FLAT[extension], "--outdir",
                    outdir, path], capture_output=True, check=False, timeout=300,
                   env=dict(os.environ, TZ=tz))
    flat = os.path.join(outdir, os.path.splitext(os.path.basename(path))[0] + "." +
                        FLAT[extension])
    return flat if os.path.exists(flat) else None


def utc_text(moment):
    """A datetime (naive: UTC) as the canonical "YYYY-MM-DDTHH:MM:SSZ"."""
    if moment.tzinfo is not None:
        moment = moment.astimezone(datetime.timezone.utc).replace(tzinfo=None)
    return moment.replace(microsecond=0).isoformat() + "Z"


class Poi:
    """CustomPropertiesDump.java compiled against Debian's Apache POI (libapache-poi-java)."""

    JARS = ["poi", "commons-collections4", "commons-math3", "commons-codec"]

    def __init__(self, workdir):
        self.classes = os.path.join(workdir, "poi-classes")
        os.makedirs(self.classes, exist_ok=True)
        self.classpath = ":".join(f"/usr/share/java/{jar}.jar" for jar in self.JARS)
        source = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                              "CustomPropertiesDump.java")
        subprocess.run(["javac", "-Xlint:all,-path", "-d", self.classes, "-cp",
                        self.classpath, source], check=True)

    def _run(self, *args):
        return subprocess.run(["java", "-cp", f"{self.classpath}:{self.classes}",
                               "CustomPropertiesDump", *args], capture_output=True,
                              text=True, check=False, env=dict(os.environ, TZ="UTC"))

    def dump(self, path):
        """{"codepage": N, "custom": [...]} or {"error": text}."""
        result = self._run("dump", path)
        try:
            return json.loads(result.stdout)
        except json.JSONDecodeError:
            return {"error": result.stderr.strip() or "no output"}

    def write(self, path, codepage, properties):
        """Adds user-defined properties to a compound document; properties are
        (name, type, canonical value) triples. The error text, empty when written."""
        args = [str(codepage)] + [item for triple in properties for item in triple]
        result = self._run("write", path, *args)
        return "" if result.returncode == 0 else result.stderr.strip() or "failed"


class Office:
    """A LibreOffice headless process driven through UNO, with its own profile; TZ=UTC, so
    that the wall-clock times LibreOffice keeps in OOXML dates are UTC as well."""

    STORE_FILTERS = {".doc": "MS Word 97", ".docx": "MS Word 2007 XML", ".odt": "writer8",
                     ".xls": "MS Excel 97", ".xlsx": "Calc MS Excel 2007 XML", ".ods": "calc8",
                     ".ppt": "MS PowerPoint 97",
                     ".pptx": "Impress MS PowerPoint 2007 XML", ".odp": "impress8"}
    FACTORIES = {"fodt": "swriter", "fods": "scalc", "fodp": "simpress"}

    def __init__(self, workdir):
        self._add_uno_path()
        import uno
        self.uno = uno
        self.profile = tempfile.mkdtemp(prefix="lo-profile-", dir=workdir)
        self.pipe = f"quorvel_judge_{os.getpid()}"
        self.process = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
             "--nodefault", f"-env:UserInstallation=file://{self.profile}",
             f"--accept=pipe,name={self.pipe};urp;StarOffice.ComponentContext"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=dict(os.environ, TZ="UTC"))
        self.desktop = self._connect()

    @staticmethod
    def _add_uno_path():
        for folder in ["/usr/lib/python3/dist-packages", "/usr/lib/libreoffice/program"]:
            if os.path.isdir(folder) and folder not in sys.path:
                sys.path.append(folder)

    def _connect(self):
        local = self.uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + 120
        while True:
            try:
                context = resolver.resolve(
                    f"uno:pipe,name={self.pipe};urp;StarOffice.ComponentContext")
                return context.ServiceManager.createInstanceWithContext(
                    "com.sun.star.frame.Desktop", context)
            except Exception:  # not listening yet
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise
                time.sleep(0.5)

    def close(self):
        try:
            self.desktop.terminate()
        except Exception:  # the bridge goes down with the process
            pass
        try:
            self.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)

    def _properties(self, **values):
        props = []
        for name, value in values.items():
            prop = self.uno.createUnoStruct("com.sun.star.beans.PropertyValue")
            prop.Name, prop.Value = name, value
            props.append(prop)
        return tuple(props)

    def _load(self, path):
        return self.desktop.loadComponentFromURL(
            self.uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
            self._properties(Hidden=True, ReadOnly=True))

    def read_custom(self, path):
        """The user-defined properties as [{"name","type","value"}], in quorvel's words."""
        document = self._load(path)
        if document is None:
            raise RuntimeError("LibreOffice did not open it")
        try:
            container = document.DocumentProperties.UserDefinedProperties
            return [self._entry(prop.Name, container.getPropertyValue(prop.Name))
                    for prop in container.getPropertySetInfo().getProperties()]
        finally:
            document.close(True)

    def _entry(self, name, value):
        kind, text = self._typed(value)
        return {"name": name, "type": kind, "value": text}

    @staticmethod
    def _typed(value):
        if isinstance(value, bool):
            return "bool", "true" if value else "false"
        if isinstance(value, int):
            return "int", str(value)
        if isinstance(value, float):
            return "real", repr(value)
        if isinstance(value, str):
            return "text", value
        type_name = getattr(value, "typeName", "")
        if type_name in ("com.sun.star.util.DateTime", "com.sun.star.util.DateTimeWithTimezone"):
            moment = value.DateTimeInTZ if type_name.endswith("Timezone") else value
            offset = value.Timezone if type_name.endswith("Timezone") else 0
            stamp = datetime.datetime(moment.Year, moment.Month, moment.Day, moment.Hours,
                                      moment.Minutes, moment.Seconds)
            return "date", utc_text(stamp - datetime.timedelta(minutes=offset))
        if type_name in ("com.sun.star.util.Date", "com.sun.star.util.DateWithTimezone"):
            day = value.DateInTZ if type_name.endswith("Timezone") else value
            return "date", utc_text(datetime.datetime(day.Year, day.Month, day.Day))
        return "other", None

    def write_new(self, path, properties):
        """A new document of path's kind holding the given (name, type, canonical value)
        user-defined properties, saved at path."""
        extension = os.path.splitext(path)[1].lower()
        document = self.desktop.loadComponentFromURL(
            f"private:factory/{self.FACTORIES[FLAT[extension]]}", "_blank", 0,
            self._properties(Hidden=True))
        try:
            container = document.DocumentProperties.UserDefinedProperties
            for name, kind, text in properties:
                self.uno.invoke(container, "addProperty",
                                (name, 128, self._uno_value(kind, text)))  # REMOVABLE
            document.storeToURL(self.uno.systemPathToFileUrl(os.path.abspath(path)),
                                self._properties(FilterName=self.STORE_FILTERS[extension]))
        finally:
            document.close(True)

    def _uno_value(self, kind, text):
        if kind == "int":
            return self.uno.Any("long", int(text))
        if kind == "real":
            return float(text)
        if kind == "bool":
            return text == "true"
        if kind == "date":
            moment = datetime.datetime.fromisoformat(text.replace("Z", ""))
            stamp = self.uno.createUnoStruct("com.sun.star.util.DateTime")
            stamp.Year, stamp.Month, stamp.Day = moment.year, moment.month, moment.day
            stamp.Hours, stamp.Minutes, stamp.Seconds = moment.hour, moment.minute, moment.second
            # LibreOffice 7.4 leaves times flagged UTC out of OLE and OOXML; TZ is UTC anyway.
            stamp.IsUTC = False
            return stamp
        return text
