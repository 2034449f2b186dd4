"""Builds the Python package around the two programs. The programs come from a folder where
they were built already (QUENLO_PROGRAMS: CI gives the static Linux programs, or the Windows
.exe programs with QUENLO_WHEEL_PLATFORM=win_amd64), or are built here with CMake and a C++17
compiler from the source that the sdist carries, as on macOS and other platforms. The package
holds no Python extension: its wheels are tagged py3-none-PLATFORM. The programs go into the
wheel's scripts, which pip installs as the quenlo and quenlo-check commands themselves, so that a
command costs the program's start and not Python's."""
import os
import pathlib
import shutil
import subprocess

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution
# setuptools provides distutils, and takes the scripts that its build_scripts made.
from distutils.command.build_scripts import build_scripts  # noqa: E402 (after setuptools)

try:  # setuptools 70.1 and later carry it; older ones take it from wheel
    from setuptools.command.bdist_wheel import bdist_wheel
except ImportError:
    from wheel.bdist_wheel import bdist_wheel

ROOT = pathlib.Path(__file__).resolve().parent
PROGRAMS = ("quenlo", "quenlo-check")
# The Linux programs are static and marked for Linux 3.2 and later, so they run on any x86-64
# Linux that manylinux2014 (CentOS 7, Linux 3.10) or musllinux 1.1 describes.
STATIC_LINUX = "manylinux_2_17_x86_64.manylinux2014_x86_64.musllinux_1_1_x86_64"
# Two builds of a wheel from one commit are byte for byte the same: the files' times in the
# wheel are this moment unless the builder sets another.
os.environ.setdefault("SOURCE_DATE_EPOCH", "1767225600")


def programs_folder(scratch):
    prebuilt = os.environ.get("QUENLO_PROGRAMS")
    if prebuilt:
        return pathlib.Path(prebuilt).resolve()
    build = pathlib.Path(scratch).resolve() / "programs"
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                    "-DQUENLO_BUILD_TESTS=OFF"], check=True)
    targets = [*PROGRAMS, "quenlo-console"] if os.name == "nt" else PROGRAMS
    subprocess.run(["cmake", "--build", str(build), "--config", "Release", "--target", *targets],
                   check=True)
    return build


def find_program(folder, name):
    # On Windows the package's quenlo is the console build, which reports on standard error
    # where the other shows a message box that no one on a build machine would dismiss.
    places = [folder / "console" / (name + ".exe"), folder / "console" / "Release" / (name + ".exe")]
    places = places if name == "quenlo" else []
    places += [folder / name, folder / (name + ".exe"), folder / "Release" / (name + ".exe")]
    found = [path for path in places if path.is_file()]
    if not found:
        raise SystemExit(f"{name} was not built in {folder}")
    return found[0]


class ProgramScripts(build_scripts):
    """Puts the programs, stripped, where setuptools takes the scripts from; they are the
    commands, not Python scripts that start them."""

    def get_source_files(self):
        return []  # the sdist carries the source they are built from

    def copy_scripts(self):
        folder = programs_folder(self.get_finalized_command("build").build_temp)
        target = pathlib.Path(self.build_dir)
        shutil.rmtree(target, ignore_errors=True)
        target.mkdir(parents=True)
        copies = []
        for name in PROGRAMS:
            found = find_program(folder, name)
            copy = target / (name + found.suffix)
            shutil.copyfile(found, copy)
            with open(copy, "rb") as program:
                elf = program.read(4) == b"\x7fELF"
            if elf and shutil.which("strip"):
                subprocess.run(["strip", "--strip-all", str(copy)], check=True)
            copy.chmod(0o755)
            copies.append(str(copy))
        return copies, copies


class FixedModes(build_py):
    """Gives the package's files one mode whatever the umask, so that the wheel does not vary."""

    def run(self):
        # What an earlier build left, of another version or platform, stays out of this one.
        shutil.rmtree(pathlib.Path(self.build_lib, "quenlo"), ignore_errors=True)
        super().run()
        for path in pathlib.Path(self.build_lib, "quenlo").rglob("*"):
            if path.is_file():
                path.chmod(0o644)


class ProgramsWheel(bdist_wheel):
    """Tags the wheel for where its programs run, and for no Python ABI."""

    def get_tag(self):
        _, _, platform = super().get_tag()
        platform = os.environ.get("QUENLO_WHEEL_PLATFORM", platform)
        if platform == "linux_x86_64" and os.environ.get("QUENLO_PROGRAMS"):
            platform = STATIC_LINUX
        return "py3", "none", platform


class BinaryDistribution(Distribution):
    """A distribution with programs for one platform, never a pure-Python one."""

    def has_ext_modules(self):
        return True


# setuptools builds beside CMake's build folder, not inside it. The scripts are named here and
# made by ProgramScripts.
setup(cmdclass={"build_py": FixedModes, "build_scripts": ProgramScripts,
                "bdist_wheel": ProgramsWheel},
      distclass=BinaryDistribution, scripts=list(PROGRAMS),
      options={"build": {"build_base": "build-python"}})
