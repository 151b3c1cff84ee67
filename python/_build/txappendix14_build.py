"""Build backend of the txappendix14 package: a pure-Python wheel of the
package directory, and a source archive, written with the standard library
alone (zipfile, tarfile), so that pip installs the package offline without
setuptools' wheel support."""

import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
_PACKAGE = "txappendix14"


def _project() -> dict:
    """The string keys of the [project] table of pyproject.toml."""
    with open(os.path.join(_ROOT, "pyproject.toml"), encoding="utf-8") as f:
        text = f.read()
    table = re.search(r"^\[project\]\n(.*?)(?=^\[|\Z)", text, re.S | re.M).group(1)
    return dict(re.findall(r'^([\w-]+)\s*=\s*"([^"]*)"', table, re.M))


def _metadata(project: dict) -> str:
    return ("Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nRequires-Python: %s\n"
            % (project["name"], project["version"], project["description"],
               project["requires-python"]))


def _package_files():
    """(path in the archive, file) of every module of the package, and its
    marker of inline types."""
    top = os.path.join(_ROOT, _PACKAGE)
    for name in sorted(os.listdir(top)):
        if name.endswith(".py") or name == "py.typed":
            yield "%s/%s" % (_PACKAGE, name), os.path.join(top, name)


def _record_line(path: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d\n" % (path, digest, len(data))


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _project()
    base = "%s-%s" % (project["name"], project["version"])
    dist_info = base + ".dist-info"
    wheel_name = base + "-py3-none-any.whl"
    entries = [(path, open(file, "rb").read()) for path, file in _package_files()]
    entries.append((dist_info + "/METADATA", _metadata(project).encode()))
    entries.append((dist_info + "/WHEEL", b"Wheel-Version: 1.0\nGenerator: txappendix14_build\n"
                                          b"Root-Is-Purelib: true\nTag: py3-none-any\n"))
    record = "".join(_record_line(path, data) for path, data in entries)
    entries.append((dist_info + "/RECORD", (record + dist_info + "/RECORD,,\n").encode()))
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w",
                         zipfile.ZIP_DEFLATED) as wheel:
        for path, data in entries:
            wheel.writestr(path, data)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    project = _project()
    base = "%s-%s" % (project["name"], project["version"])
    name = base + ".tar.gz"
    with tarfile.open(os.path.join(sdist_directory, name), "w:gz") as sdist:
        for part in ("pyproject.toml", "_build", _PACKAGE, "tests"):
            sdist.add(os.path.join(_ROOT, part), "%s/%s" % (base, part),
                      filter=lambda info: None if "__pycache__" in info.name else info)
        data = _metadata(project).encode()
        info = tarfile.TarInfo("%s/PKG-INFO" % base)
        info.size = len(data)
        sdist.addfile(info, io.BytesIO(data))
    return name
