#!/bin/sh
# Installs the built tool into a temporary prefix and runs the installed copy on the example.
set -eu
build_dir=$1
examples=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/motifsig"
"$prefix/bin/motifsig" --version | grep -q '^motifsig [0-9]'
"$prefix/bin/motifsig" "$examples/peaks.fa" "$examples/motifs.txt" "$examples/sites.tsv" "$prefix/out.txt" >/dev/null
head -n 1 "$prefix/out.txt" | grep -qx 'VORL version 4'
