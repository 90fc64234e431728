#!/bin/sh
# Installs the build into a temporary prefix, runs the installed tool on the example, and builds
# and runs the example program of docs/library.md against the installed package, once with
# find_package(motifsig) and once with pkg-config; the tool, the package files and the header
# give one version, and a shared library exports the API alone. $3 and $4: the C++ compiler and
# the flags of the build (a sanitizer build's program needs the sanitizers too).
set -eu
build_dir=$1
source_dir=$2
cxx=${3:-c++}
flags=${4:-}
examples=$source_dir/examples
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/motifsig"
version=$(sed -n 's/^#define MOTIFSIG_VERSION_[A-Z]* \([0-9]*\)$/\1/p' "$source_dir/include/motifsig/motifsig.h" | paste -sd.)
test "$("$prefix/bin/motifsig" --version)" = "motifsig $version"
grep -qx "set(PACKAGE_VERSION \"$version\")" "$prefix"/lib*/cmake/motifsig/motifsigConfigVersion.cmake \
  "$prefix"/lib/*/cmake/motifsig/motifsigConfigVersion.cmake 2>/dev/null
shared=$(find "$prefix" -name 'libmotifsig.so*' -type f)
if [ -n "$shared" ]; then
  symbols=$(nm -D --defined-only "$shared" | c++filt)
  echo "$symbols" | grep -q ' motifsig::analyse('
  echo "$symbols" | grep -q ' motifsig::version()'
  if echo "$symbols" | grep -E ' (run_analysis|llr_distr_fast|file_error|printable)\('; then
    echo "the shared library exports more than the API" >&2
    exit 1
  fi
fi
"$prefix/bin/motifsig" "$examples/peaks.fa" "$examples/motifs.txt" "$examples/sites.tsv" "$prefix/out.txt" >/dev/null
head -n 1 "$prefix/out.txt" | grep -qx 'VORL version 4'

# The program and its CMakeLists.txt are the first cpp and cmake blocks of the document.
project=$prefix/evalues
mkdir "$project"
block() { awk -v kind="$1" '$0 == "```" kind { on = 1; next } on && $0 == "```" { exit } on' "$source_dir/docs/library.md"; }
block cpp >"$project/evalues.cpp"
block cmake >"$project/CMakeLists.txt"
test -s "$project/evalues.cpp"
test -s "$project/CMakeLists.txt"
cmake -S "$project" -B "$project/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$project/build" >/dev/null
"$project/build/evalues" "$examples/peaks.fa" "$examples/motifs.txt" "$examples/sites.tsv" >"$prefix/evalues.txt"
grep -qx '1 1 3.70728e-26' "$prefix/evalues.txt"
if command -v pkg-config >/dev/null; then
  pc_path="$prefix/lib/pkgconfig:$prefix/lib64/pkgconfig:$prefix/lib/x86_64-linux-gnu/pkgconfig"
  test "$(PKG_CONFIG_PATH="$pc_path" pkg-config --modversion motifsig)" = "$version"
  "$cxx" -std=c++17 $flags "$project/evalues.cpp" -o "$project/evalues-pc" \
    $(PKG_CONFIG_PATH="$pc_path" pkg-config --static --cflags --libs motifsig)
  LD_LIBRARY_PATH="$(dirname "${shared:-/}")" "$project/evalues-pc" "$examples/peaks.fa" \
    "$examples/motifs.txt" "$examples/sites.tsv" | cmp -s - "$prefix/evalues.txt"
fi
