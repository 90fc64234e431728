#!/usr/bin/env bash
# The Python package as a user installs it, each time into a fresh virtual environment that sees
# Debian's packages: `pip install --no-build-isolation .`, then a wheel from `python3 -m build
# --no-isolation --wheel`. In each, examples/python/evalues.py prints the E-values that the tool
# ($1) writes into its motif files, and `mypy --strict` passes on it and on the package.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(realpath "$1")
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for folder in examples examples/protein; do
  "$tool" -q "$folder"/*.fa "$folder/motifs.txt" "$folder/sites.tsv" "$work/out.txt"
  grep -o 'E= .*' "$work/out.txt" | awk -v file="$folder/motifs.txt" '{ print file, NR, $2 }'
done >"$work/expected.txt"

check() {  # the package of the environment $1 gives the tool's E-values and passes mypy
  "$1/bin/python" -c 'import motifsig; print(motifsig.__file__)' | grep -q "^$1/"
  "$1/bin/python" examples/python/evalues.py | diff - "$work/expected.txt"
  mypy --strict --no-incremental --python-executable "$1/bin/python" examples/python/evalues.py
}

"$python" -m venv --system-site-packages "$work/pip"
"$work/pip/bin/pip" install -q --no-cache-dir --no-build-isolation .
check "$work/pip"

"$python" -m build --no-isolation --wheel --outdir "$work/dist" . >/dev/null
"$python" -m venv --system-site-packages "$work/wheel"
"$work/wheel/bin/pip" install -q --no-cache-dir "$work"/dist/motifsig-*.whl
check "$work/wheel"
mypy --strict --no-incremental src/python/motifsig  # the package's own hints (pyproject.toml)
echo "pip and wheel: $(wc -l <"$work/expected.txt") E-values as the tool's, mypy --strict clean"
