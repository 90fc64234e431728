"""Runs the bundled workflow for real: four datasets, one searched on both strands, and one
whose name holds characters with a meaning in a URL; then one broken dataset beside them; then
sample sheets that are refused before any job runs.

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
    odd = "run#2?%"
    files = "data/dna-subset/peaks.fa\tdata/dna-subset/motifs.txt\tdata/dna-subset/sites.tsv"
    with open(workdir / "samples.tsv", "a") as sheet:
        sheet.write(f"{odd}\t{files}\n")
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

    # The sample sheet's strands column reaches the tool: the dataset's E-values are those of
    # a direct run with --strands 2, in the merged table and, for its best motif, on the index.
    both = next(row for row in table(workdir / "samples.tsv") if row["strands"] == "2")
    direct = Path(scratch) / "direct.tsv"
    subprocess.run([motifsig, "--strands", "2", "--tsv", direct, both["sequences"], both["motifs"],
                    both["sites"], "/dev/null"], cwd=workdir, check=True, capture_output=True)
    expected = {row["motif"]: row["evalue"] for row in table(direct)}
    check({row["motif"]: row["evalue"] for row in merged if row["dataset"] == both["dataset"]}
          == expected, f"dataset {both['dataset']} was not searched on both strands")
    best = min(table(direct), key=lambda row: float(row["log10_evalue"]))["evalue"]
    index = (workdir / "results" / "index.html").read_text()
    check(f'<a href="{both["dataset"]}/report.html">' in index and best in index,
          f"the index lacks {both['dataset']} or its E-value {best}:\n{index}")
    for d in datasets:
        check((workdir / "results" / d / "report.html").exists(), f"no HTML report of {d}")
    check('<a href="run%232%3F%25/report.html">' in index, f"no quoted link to {odd}:\n{index}")

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
    # A sheet the workflow cannot run is refused before any job, naming the line and column.
    header = "dataset\tsequences\tmotifs\tsites\tstrands\tpalindromic"
    bad_sheets = [
        (f"{header}\na\t{files}\t\t\na\t{files}\t2\t\n",
         "line 3, column dataset: 'a' is the dataset of line 2 too"),
        (f"{header}\na\t{files}\t\tyes\n", "line 2, column palindromic: yes needs strands 2"),
        (f"{header}\n\t{files}\t\t\n", "line 2, column dataset: '' cannot name a directory"),
        ("dataset\tsequences\tmotifs\nb\tx\ty\n", "line 1: no column sites"),
        (f"dataset\tsequences\tmotifs\tsites\tStrands\na\t{files}\t2\n",
         "line 1: unknown column 'Strands'"),
    ]
    shutil.rmtree(workdir / "results")
    for text, message in bad_sheets:
        (workdir / "bad.tsv").write_text(text)
        run = snakemake(workdir, "samples=bad.tsv")
        check(run.returncode != 0 and f"sample sheet bad.tsv, {message}" in run.stdout + run.stderr,
              f"sheet {text!r} not refused with {message!r}:\n{run.stdout}{run.stderr}")
        check(not (workdir / "results").exists(), f"sheet {text!r}: a job ran")
print("workflow: merged table, failure handling and sheet checks as expected")
