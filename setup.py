"""Builds the compiled half of the Python package, motifsig._motifsig, with the project's CMake
build (the library linked in statically) for the interpreter that runs this; pyproject.toml
holds the rest of the package's description."""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent

# Without build isolation pip builds with this interpreter's own tools, and setuptools before
# 70.1 makes wheels only with the wheel package: without it the build fails with "invalid
# command 'bdist_wheel'", which says nothing of the cause.
try:
    import wheel  # noqa: F401
except ImportError:
    try:
        import setuptools.command.bdist_wheel  # noqa: F401
    except ImportError:
        sys.exit(f"motifsig: {sys.executable} has no 'wheel' package, which building needs: use "
                 "Debian's /usr/bin/python3 with python3-wheel installed (see docs/python.md), "
                 "or install wheel into this interpreter")


def version():
    """MAJOR.MINOR.PATCH from the public header, where every part of the project takes it."""
    header = (ROOT / "include" / "motifsig" / "motifsig.h").read_text()
    return ".".join(re.search(rf"^#define MOTIFSIG_VERSION_{part} (\d+)$", header, re.M)[1]
                    for part in ("MAJOR", "MINOR", "PATCH"))


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        build = Path(self.build_temp).resolve() / "cmake"
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DMOTIFSIG_PYTHON=ON", "-DMOTIFSIG_TESTS=OFF", "-DBUILD_SHARED_LIBS=OFF",
                     f"-DPython3_EXECUTABLE={sys.executable}"]
        try:  # pybind11's CMake files, where its Python package has them (pybind11-dev has too)
            import pybind11
            if Path(pybind11.get_cmake_dir()).is_dir():
                configure.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except (ImportError, AttributeError, OSError):
            pass
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(min(os.cpu_count() or 1, 4))
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "_motifsig", "-j", jobs],
                       check=True)
        built = next((build / "python" / "motifsig").glob("_motifsig*"))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(version=version(),
      package_dir={"": "src/python"},
      packages=["motifsig"],
      package_data={"motifsig": ["py.typed", "*.pyi"]},
      ext_modules=[Extension("motifsig._motifsig", sources=[])],
      cmdclass={"build_ext": CMakeBuild},
      # Apart from the developers' CMake directory, build/.
      options={"build": {"build_base": "build-python"}})
