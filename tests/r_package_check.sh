#!/bin/sh
# Installs the build's library into a temporary prefix, installs the R package r/motifsig against
# it through pkg-config into a temporary R library, and runs the package's tests (against the
# installed tool) and its examples. The package is built from a copy, so the source tree stays
# clean.
set -eu
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build_dir" --prefix "$work/prefix" --component Unspecified >/dev/null
cp -R "$source_dir/r/motifsig" "$work/motifsig"
mkdir "$work/library"
pc_path="$work/prefix/lib/pkgconfig:$work/prefix/lib64/pkgconfig:$work/prefix/lib/x86_64-linux-gnu/pkgconfig"
if ! PKG_CONFIG_PATH="$pc_path" R CMD INSTALL -l "$work/library" "$work/motifsig" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  exit 1
fi
export R_LIBS="$work/library"
(cd "$work/motifsig/tests" && MOTIFSIG_EXE="$work/prefix/bin/motifsig" Rscript testthat.R)
cd "$work"
Rscript -e 'for (topic in c("analyse", "write_results", "column_pvalue", "motifsig_error"))
              example(topic, package = "motifsig", character.only = TRUE, run.donttest = TRUE)' >/dev/null
