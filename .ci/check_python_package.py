#!/usr/bin/python3
"""Builds the Python package as it is shipped, offline from Debian's packages: the Linux wheel
around the static programs, the Windows wheel around the .exe programs, and the sdist; then
checks each one's tag, its files, that RECORD lists every file with its hash and size, that
the programs are the wheel's scripts (pip installs them as the commands), executable and
stripped, that the Windows quenlo.exe is a console program (no message box on a build
machine), and that a second build of each wheel is byte for byte the same.

    .ci/check_python_package.py BUILD_FOLDER"""
import base64
import csv
import hashlib
import io
import os
import pathlib
import struct
import subprocess
import sys
import tarfile
import tempfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
PYTHON_FILES = {"quenlo/__init__.py", "quenlo/__main__.py", "quenlo/py.typed"}
INFO = {"LICENSE", "METADATA", "WHEEL", "top_level.txt", "RECORD"}
SCRIPTS = "quenlo-1.0.0.data/scripts/"
WHEELS = {
    "linux": ("", {}, "py3-none-manylinux_2_17_x86_64.manylinux2014_x86_64.musllinux_1_1_x86_64"),
    "windows": (".exe", {"QUENLO_WHEEL_PLATFORM": "win_amd64"}, "py3-none-win_amd64"),
}
PE_CONSOLE = 3  # IMAGE_SUBSYSTEM_WINDOWS_CUI


def elf_sections(data):
    """The names of an ELF64 program's sections."""
    shoff, = struct.unpack_from("<Q", data, 0x28)
    entsize, count, names = struct.unpack_from("<HHH", data, 0x3A)
    table, = struct.unpack_from("<Q", data, shoff + names * entsize + 0x18)
    found = set()
    for i in range(count):
        name, = struct.unpack_from("<I", data, shoff + i * entsize)
        found.add(data[table + name:data.index(b"\0", table + name)].decode())
    return found


def pe_subsystem(data):
    header, = struct.unpack_from("<I", data, 0x3C)
    subsystem, = struct.unpack_from("<H", data, header + 24 + 68)
    return subsystem


def build(kind, out, environment):
    subprocess.run([sys.executable, "-m", "build", "--no-isolation", kind, "--outdir", str(out),
                    str(ROOT)], env=dict(os.environ, **environment), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    (made,) = pathlib.Path(out).iterdir()
    return made


def check_wheel(path, suffix, tag):
    failures = []
    if not path.name.endswith(f"-{tag}.whl"):
        failures.append(f"{path.name} is not tagged {tag}")
    with zipfile.ZipFile(path) as wheel:
        names = set(wheel.namelist())
        programs = {f"{SCRIPTS}quenlo{suffix}", f"{SCRIPTS}quenlo-check{suffix}"}
        expected = PYTHON_FILES | programs | {f"quenlo-1.0.0.dist-info/{n}" for n in INFO}
        if names != expected:
            failures.append(f"{path.name} holds {sorted(names ^ expected)} beyond or short of "
                            "what it should")
        record = wheel.read("quenlo-1.0.0.dist-info/RECORD").decode()
        listed = {}
        for name, digest, size in csv.reader(io.StringIO(record)):
            listed[name] = (digest, size)
        for name in names - {"quenlo-1.0.0.dist-info/RECORD"}:
            data = wheel.read(name)
            digest = "sha256=" + base64.urlsafe_b64encode(
                hashlib.sha256(data).digest()).rstrip(b"=").decode()
            if listed.get(name) != (digest, str(len(data))):
                failures.append(f"{path.name}: RECORD is wrong for {name}")
        for name in programs & names:
            data = wheel.read(name)
            if not (wheel.getinfo(name).external_attr >> 16) & 0o111:
                failures.append(f"{path.name}: {name} is not executable")
            if suffix == "" and ".symtab" in elf_sections(data):
                failures.append(f"{path.name}: {name} is not stripped")
            if suffix == ".exe" and pe_subsystem(data) != PE_CONSOLE:
                failures.append(f"{path.name}: {name} is not a console program")
        if b"Tag: " + tag.split(".")[0].encode() not in wheel.read(
                "quenlo-1.0.0.dist-info/WHEEL") and "none-win" not in tag:
            failures.append(f"{path.name}: WHEEL does not name its tag")
    return failures


def check_sdist(path):
    with tarfile.open(path) as sdist:
        names = {name.split("/", 1)[1] for name in sdist.getnames() if "/" in name}
    needed = {"CMakeLists.txt", "setup.py", "pyproject.toml", "LICENSE", "python/quenlo/__init__.py",
              "python/quenlo/py.typed", "reader/font_faces.cc", "posix/main_check_posix.cc",
              "windows/main_check_windows.cc", "cmake/install.cmake", "docs/quenlo-check.1",
              "install/fixed_copy.cc",
              "common/version.h.in"}
    return [f"{path.name} lacks {name}" for name in sorted(needed - names)]


def main():
    build_folder = pathlib.Path(sys.argv[1]).resolve()
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        for platform, (suffix, environment, tag) in WHEELS.items():
            programs = build_folder / ("windows" if platform == "windows" else "")
            environment = dict(environment, QUENLO_PROGRAMS=str(programs))
            wheel = build("--wheel", scratch / platform, environment)
            again = build("--wheel", scratch / (platform + "-again"), environment)
            failures += check_wheel(wheel, suffix, tag)
            if wheel.read_bytes() != again.read_bytes():
                failures.append(f"two builds of {wheel.name} differ")
            print(f"{wheel.name}: {wheel.stat().st_size // 1024} KiB")
        sdist = build("--sdist", scratch / "sdist", {})
        failures += check_sdist(sdist)
        print(f"{sdist.name}: {sdist.stat().st_size // 1024} KiB")
    for failure in failures:
        print("FAILED:", failure)
    print(f"python package: {len(WHEELS)} wheels and the sdist, {len(failures)} problems")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
