"""Build backend of the txappendix14 package, standard library only, so that
pip installs it offline. The wheel carries the shared library: the one in the
CMake build directory named by the config setting `build-dir` or by
TXAPPENDIX14_BUILD_DIR, else one built with CMake from the source tree. The
version is the CMake project's (in a source archive, its PKG-INFO's)."""

import base64
import hashlib
import io
import os
import re
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import zipfile

_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
_SOURCE = os.path.dirname(_ROOT)  # the CMake project, when in its tree
_PACKAGE = "txappendix14"
BUILD_DIR_VARIABLE = "TXAPPENDIX14_BUILD_DIR"

if sys.platform == "win32":
    _LIBRARY = "TXAppendix14.dll"
elif sys.platform == "darwin":
    _LIBRARY = "libtxappendix14.dylib"
else:
    _LIBRARY = "libtxappendix14.so"


def _version() -> str:
    cmake = os.path.join(_SOURCE, "CMakeLists.txt")
    if os.path.exists(cmake):
        with open(cmake, encoding="utf-8") as f:
            found = re.search(r"^project\(TXAppendix14 VERSION ([0-9.]+)", f.read(), re.M)
    else:
        with open(os.path.join(_ROOT, "PKG-INFO"), encoding="utf-8") as f:
            found = re.search(r"^Version: (\S+)", f.read(), re.M)
    return found.group(1)


def _project() -> dict:
    """The string keys of the [project] table of pyproject.toml, and the version."""
    with open(os.path.join(_ROOT, "pyproject.toml"), encoding="utf-8") as f:
        text = f.read()
    table = re.search(r"^\[project\]\n(.*?)(?=^\[|\Z)", text, re.S | re.M).group(1)
    project = dict(re.findall(r'^([\w-]+)\s*=\s*"([^"]*)"', table, re.M))
    project["version"] = _version()
    return project


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


def _library_in(build_dir: str) -> bytes:
    path = os.path.join(build_dir, "applications", "Appendix14", _LIBRARY)
    if not os.path.exists(path):
        raise RuntimeError("no %s in the build directory %s: build the library there first"
                           % (_LIBRARY, build_dir))
    with open(path, "rb") as f:
        return f.read()


def _library(config_settings) -> bytes:
    """The shared library's bytes: from the given build directory, else built."""
    build_dir = (config_settings or {}).get("build-dir") or os.environ.get(BUILD_DIR_VARIABLE)
    if build_dir:
        return _library_in(build_dir)
    if not os.path.exists(os.path.join(_SOURCE, "CMakeLists.txt")):
        raise RuntimeError("no CMake project above %s to build the library from: name a build "
                           "directory in %s or the config setting build-dir"
                           % (_ROOT, BUILD_DIR_VARIABLE))
    with tempfile.TemporaryDirectory(prefix="txappendix14-build-") as build_dir:
        for command in (["cmake", "-S", _SOURCE, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                         "-DTX14_BUILD_TESTS=OFF", "-DTX14_BUILD_BENCHMARKS=OFF",
                         "-DTX14_BUILD_PROGRAM=OFF"],
                        ["cmake", "--build", build_dir, "--target", "txappendix14",
                         "--parallel", str(os.cpu_count() or 1)]):
            subprocess.run(command, check=True, stdout=sys.stderr)
        return _library_in(build_dir)


def _record_line(path: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d\n" % (path, digest, len(data))


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _project()
    base = "%s-%s" % (project["name"], project["version"])
    dist_info = base + ".dist-info"
    tag = "py3-none-" + re.sub(r"[-.]", "_", sysconfig.get_platform())
    wheel_name = "%s-%s.whl" % (base, tag)
    entries = [(path, open(file, "rb").read()) for path, file in _package_files()]
    entries.append(("%s/_version.py" % _PACKAGE,
                    ('__version__ = "%s"\n' % project["version"]).encode()))
    entries.append(("%s/%s" % (_PACKAGE, _LIBRARY), _library(config_settings)))
    entries.append((dist_info + "/METADATA", _metadata(project).encode()))
    entries.append((dist_info + "/WHEEL", ("Wheel-Version: 1.0\nGenerator: txappendix14_build\n"
                                           "Root-Is-Purelib: false\nTag: %s\n" % tag).encode()))
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
