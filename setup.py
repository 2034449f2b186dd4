"""Builds the Python package around the two programs. The programs come from a folder where
they were built already (QUENLO_PROGRAMS: CI gives the static Linux programs, or the Windows
.exe programs with QUENLO_WHEEL_PLATFORM=win_amd64), or are built here with CMake and a C++17
compiler from the source that the sdist carries, as on macOS and other platforms. The package
holds no Python extension: its wheels are tagged py3-none-PLATFORM."""
import os
import pathlib
import shutil
import stat
import subprocess

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution
from wheel.bdist_wheel import bdist_wheel

ROOT = pathlib.Path(__file__).resolve().parent
PROGRAMS = ("quenlo", "quenlo-check")
# The Linux programs are static, so they run on any x86-64 Linux, with glibc or with musl.
STATIC_LINUX = "manylinux_2_5_x86_64.manylinux1_x86_64.musllinux_1_1_x86_64"


def programs_folder(scratch):
    prebuilt = os.environ.get("QUENLO_PROGRAMS")
    if prebuilt:
        return pathlib.Path(prebuilt).resolve()
    build = pathlib.Path(scratch).resolve() / "programs"
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                    "-DQUENLO_BUILD_TESTS=OFF"], check=True)
    subprocess.run(["cmake", "--build", str(build), "--config", "Release", "--target",
                    *PROGRAMS], check=True)
    return build


class BuildPrograms(build_py):
    """Puts the programs into the package's bin folder, beside its Python files."""

    def run(self):
        super().run()
        folder = programs_folder(self.get_finalized_command("build").build_temp)
        target = pathlib.Path(self.build_lib) / "quenlo" / "bin"
        # A folder left by a build for another platform must not leave its programs in this one.
        shutil.rmtree(target, ignore_errors=True)
        target.mkdir(parents=True)
        for name in PROGRAMS:
            found = [path for path in (folder / name, folder / (name + ".exe"),
                                       folder / "Release" / (name + ".exe")) if path.is_file()]
            if not found:
                raise SystemExit(f"{name} was not built in {folder}")
            copy = target / found[0].name
            shutil.copyfile(found[0], copy)
            copy.chmod(copy.stat().st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)


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


# setuptools builds beside CMake's build folder, not inside it.
setup(cmdclass={"build_py": BuildPrograms, "bdist_wheel": ProgramsWheel},
      distclass=BinaryDistribution, options={"build": {"build_base": "build-python"}})
