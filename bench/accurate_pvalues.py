#!/usr/bin/env python3
"""Benchmark of --pvalues accurate: one DNA motif of width 12 with many sites (1,000,000 by
default), and the bundled DNA and protein examples, each timed against the default lattice in
the same run where the lattice finishes in reasonable time. Prints wall time and peak resident
memory per run.

Usage: bench/accurate_pvalues.py [--sites 1000000] [--exe build/motifsig] [--work DIR]
Standard library only; needs /usr/bin/time (GNU time) for the memory figure.
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MATRIX = [
    [0.05, 0.05, 0.85, 0.05], [0.02, 0.02, 0.94, 0.02], [0.9, 0.03, 0.04, 0.03],
    [0.03, 0.9, 0.04, 0.03], [0.06, 0.04, 0.85, 0.05], [0.08, 0.1, 0.12, 0.7],
    [0.02, 0.92, 0.03, 0.03], [0.9, 0.02, 0.05, 0.03], [0.05, 0.05, 0.1, 0.8],
    [0.04, 0.85, 0.06, 0.05], [0.3, 0.2, 0.3, 0.2], [0.1, 0.1, 0.75, 0.05],
]


def write_large(work, sites):
    """A sequence file, a motif file and a site file for one motif with `sites` sites."""
    rng = random.Random(20261207)
    seqs = os.path.join(work, "seqs.txt")
    with open(seqs, "w") as out:
        for _ in range(max(1000, sites // 100)):
            out.write("".join(rng.choices("ACGT", k=200)) + "\n")
    motifs = os.path.join(work, "motifs.txt")
    with open(motifs, "w") as out:
        out.write("VORL version 4\n\nALPHABET= ACGT\nBackground letter frequencies\n"
                  "A 0.29 C 0.21 G 0.21 T 0.29 \n\nMOTIF 1\n")
        out.write("letter-probability matrix: alength= 4 w= 12 nsites= 0 E= 0\n")
        for row in MATRIX:
            out.write("  " + "  ".join(str(p) for p in row) + "\n")
    site_file = os.path.join(work, "sites.tsv")
    with open(site_file, "w") as out:
        out.write("motif\tsequence\tstart\tsite\n")
        out.write("1\ts\t1\tACGTACGTACGT\n" * sites)
    return seqs, motifs, site_file


def timed(cmd):
    """Wall seconds and peak resident MiB of one run."""
    start = time.monotonic()
    proc = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, capture_output=True, text=True)
    wall = time.monotonic() - start
    if proc.returncode != 0:
        sys.exit("failed: " + " ".join(cmd) + "\n" + proc.stderr)
    return wall, int(proc.stderr.strip().splitlines()[-1]) / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sites", type=int, default=1000000)
    parser.add_argument("--exe", default=os.path.join(ROOT, "build", "motifsig"))
    parser.add_argument("--work")
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="motifsig-accurate-")
    os.makedirs(work, exist_ok=True)
    ex = os.path.join(ROOT, "examples")
    cases = [
        ("dna example", [os.path.join(ex, f) for f in ("peaks.fa", "motifs.txt", "sites.tsv")], True),
        ("protein example", [os.path.join(ex, "protein", f)
                             for f in ("proteins.fa", "motifs.txt", "sites.tsv")], True),
        ("dna w=12, %d sites" % args.sites, list(write_large(work, args.sites)), False),
    ]
    print("%-26s %-9s %9s %9s" % ("workload", "pvalues", "wall s", "peak MiB"))
    for name, files, with_lattice in cases:
        for method in (["lattice"] if with_lattice else []) + ["accurate"]:
            out = os.path.join(work, "out-%s.txt" % method)
            wall, mib = timed([args.exe, "-q", "--sites", "anywhere", "--pvalues", method]
                              + files + [out])
            print("%-26s %-9s %9.2f %9.1f" % (name, method, wall, mib))


if __name__ == "__main__":
    main()
