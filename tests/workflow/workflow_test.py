"""Runs the bundled workflow for real: three datasets, then one broken dataset beside them.

Usage: workflow_test.py MOTIFSIG EXAMPLES_DIR. Exits 77 (skipped) when Snakemake is absent.
"""
import csv
import math
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

motifsig, examples = Path(sys.argv[1]).resolve(), Path(sys.argv[2])
if shutil.which("snakemake") is None:
    print("skipped: snakemake is not installed (apt-get install snakemake)")
    sys.exit(77)


def table(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def snakemake(workdir, *extra):
    command = ["snakemake", "--cores", "2", "--config", f"motifsig={motifsig}", *extra]
    return subprocess.run(command, cwd=workdir, capture_output=True, text=True)


def check(condition, message):
    if not condition:
        sys.exit(f"FAILED: {message}")


with tempfile.TemporaryDirectory() as scratch:
    shutil.copytree(examples, Path(scratch) / "examples")
    workdir = Path(scratch) / "examples" / "workflow"
    datasets = [row["dataset"] for row in table(workdir / "samples.tsv")]

    run = snakemake(workdir)
    check(run.returncode == 0, f"the workflow failed:\n{run.stderr}")
    merged = table(workdir / "results" / "all_motifs.tsv")
    expected = [dict(dataset=d, **row) for d in datasets
                for row in table(workdir / "results" / d / "motifs.tsv")]
    check(sorted(map(str, merged)) == sorted(map(str, expected)),
          "the merged table is not the union of the per-dataset tables")
    keys = [float(row["log10_evalue"]) for row in merged]
    check(keys == sorted(keys), "the merged table is not sorted by E-value")
    summary = table(workdir / "results" / "summary.tsv")[0]
    check(summary["datasets"] == str(len(datasets)) and summary["motifs"] == str(len(expected)),
          f"summary {summary}")
    below = sum(1 for k in keys if k < math.log10(0.05))
    check(summary["motifs_with_evalue_below_0.05"] == str(below), f"summary {summary}")

    # A broken motif file fails its own job with the tool's message; --keep-going lets the
    # other datasets finish.
    broken = workdir / "data" / "broken"
    broken.mkdir()
    (broken / "motifs.txt").write_text("no alphabet here\n")
    with open(workdir / "samples.tsv", "a") as sheet:
        sheet.write("broken\tdata/dna-subset/peaks.fa\tdata/broken/motifs.txt\tdata/dna-subset/sites.tsv\n")
    shutil.rmtree(workdir / "results")
    run = snakemake(workdir, "--keep-going")
    check(run.returncode != 0, "a broken dataset did not fail the workflow")
    check("motifsig: data/broken/motifs.txt: no ALPHABET line" in run.stderr,
          f"the tool's message is not shown:\n{run.stderr}")
    for d in datasets:
        check((workdir / "results" / d / "motifs.tsv").exists(), f"dataset {d} did not finish")
print("workflow: merged table and failure handling as expected")
