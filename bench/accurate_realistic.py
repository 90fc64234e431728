#!/usr/bin/env python3
"""Benchmark of --pvalues accurate against the default lattice on files shaped like a motif
discovery run's output: motifs whose columns range from nearly one letter to nearly the
background, each motif with its own number of sites.

Workloads (generated once into --work, with a fixed seed):
  dna-20       20 DNA motifs of width 15, 248-4,890 sites each, 5,000 sequences
  protein-10   10 protein motifs of width 20, 50-2,000 sites each
  dna-200      200 DNA motifs of width 15, 200 different site counts in 200-5,000
Each is run with both methods in turn (paired runs, so a busy machine slows both alike) and the
table gives the median wall times and the ratio accurate / lattice.

Usage: bench/accurate_realistic.py [--exe build/motifsig] [--runs 1] [--threads 1]
                                   [--only dna-20,protein-10] [--work DIR]
Standard library only.
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import time

from run_workloads import DNA, DNA_BACKGROUND, PROTEIN, PROTEIN_BACKGROUND, write_motifs

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEED = 20261207


def column(rng, size):
    """One motif column: a leading letter holding 30-97% of the weight, the rest spread
    unevenly, so that the file has conserved columns, weak ones and everything between."""
    lead = rng.uniform(0.3, 0.97)
    rest = [rng.random() ** 2 for _ in range(size - 1)]
    total = sum(rest)
    values = [lead] + [(1 - lead) * r / total for r in rest]
    rng.shuffle(values)
    return values


def generate(work, name, letters, background, nseqs, widths, counts):
    paths = [os.path.join(work, "%s.%s" % (name, ext)) for ext in ("seqs", "motifs", "sites")]
    if all(os.path.exists(p) for p in paths):
        return paths
    rng = random.Random("%d-%s" % (SEED, name))
    with open(paths[0], "w") as out:
        for i in range(nseqs):
            out.write(">s%d\n%s\n" % (i + 1, "".join(rng.choices(letters, k=rng.randint(100, 300)))))
    write_motifs(paths[1], rng, letters, background, widths, column)
    with open(paths[2], "w") as out:
        out.write("motif\tsequence\tstart\tsite\n")
        for number, (width, count) in enumerate(zip(widths, counts), 1):
            for _ in range(count):
                out.write("%d\ts%d\t1\t%s\n" % (number, rng.randint(1, nseqs), "A" * width))
    return paths


def workloads(work):
    rng = random.Random(SEED)
    dna20 = sorted(rng.sample(range(248, 4891), 20))
    protein10 = sorted(rng.sample(range(50, 2001), 10))
    dna200 = sorted(rng.sample(range(200, 5001), 200))
    return {
        "dna-20": generate(work, "dna-20", DNA, DNA_BACKGROUND, 5000, [15] * 20, dna20),
        "protein-10": generate(work, "protein-10", PROTEIN, PROTEIN_BACKGROUND, 2000, [20] * 10,
                               protein10),
        "dna-200": generate(work, "dna-200", DNA, DNA_BACKGROUND, 5000, [15] * 200, dna200),
    }


def timed(argv):
    start = time.perf_counter()
    subprocess.run(argv, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", default=os.path.join(ROOT, "build", "motifsig"))
    parser.add_argument("--runs", type=int, default=1)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--only", default="")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-bench", "realistic"))
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    files = workloads(args.work)
    names = [n for n in args.only.split(",") if n] or list(files)
    load_before = os.getloadavg()[0]
    print("%-11s %10s %10s %8s" % ("workload", "lattice s", "accurate s", "ratio"))
    for name in names:
        seqs, motifs, sites = files[name]
        out = os.path.join(args.work, name + ".out")
        base = [args.exe, "--threads", str(args.threads), seqs, motifs, sites, out]
        lattice, accurate = [], []
        for _ in range(args.runs):
            lattice.append(timed(base))
            accurate.append(timed(base + ["--pvalues", "accurate"]))
        lat, acc = statistics.median(lattice), statistics.median(accurate)
        print("%-11s %10.2f %10.2f %7.2fx" % (name, lat, acc, acc / lat), flush=True)
    print("threads %d, median of %d paired runs, load average %.2f before, %.2f after"
          % (args.threads, args.runs, load_before, os.getloadavg()[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
