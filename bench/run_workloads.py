#!/usr/bin/env python3
"""Whole-run benchmark of motifsig: the fast column LLR kernel against the plain one (the
hidden option --plain-kernel), in one build, on generated workloads.

For every workload the tool with its default threads (or --threads N), with --threads 1 and
with the plain kernel run in turn (paired runs, so a busy machine slows all alike); the table
gives the median wall time of each, the ratios to the plain kernel, the peak resident memory
of each, and whether the output files are byte-identical. The plain kernel is left out of
dna-50k (it takes minutes) unless --plain-all is given. The io workload is also timed against
`wc -l` over the same three files.

Usage: bench/run_workloads.py [--runs 3] [--only dna-large,io] [--threads N] [--plain-all]
                              [--work DIR] [--no-build]
Standard library only; needs cmake, a C++ compiler, cmp and wc.
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEED = 20240607

DNA = "ACGT"
DNA_BACKGROUND = [0.29, 0.21, 0.21, 0.29]
PROTEIN = "ACDEFGHIKLMNPQRSTVWY"
PROTEIN_BACKGROUND = [0.074, 0.025, 0.054, 0.054, 0.047, 0.074, 0.026, 0.068, 0.058, 0.099,
                      0.025, 0.045, 0.039, 0.034, 0.052, 0.057, 0.051, 0.073, 0.013, 0.032]


# ----------------------------------------------------------------------------- workloads

def write_sequences(path, rng, letters, count, min_len, max_len):
    """`count` sequences of random length, one per line after a '>' header line."""
    pool = "".join(rng.choices(letters, k=1 << 21))
    with open(path, "w") as out:
        chunk = []
        for i in range(count):
            length = rng.randint(min_len, max_len)
            start = rng.randrange(len(pool) - length)
            chunk.append(">seq_%d\n%s\n" % (i + 1, pool[start:start + length]))
            if len(chunk) == 4096:
                out.write("".join(chunk))
                chunk = []
        out.write("".join(chunk))


def random_column(rng, size):
    """Letter probabilities drawn at random, most of the weight on a few letters."""
    weights = [rng.random() ** 3 for _ in range(size)]
    total = sum(weights)
    return [x / total for x in weights]


def write_motifs(path, rng, letters, background, widths, column=random_column):
    """A motif file with one letter-probability matrix per entry of `widths`, each row drawn by
    column(rng, number of letters)."""
    lines = ["VORL version 4", "", "ALPHABET= " + letters, "Background letter frequencies",
             " ".join("%s %.3f" % (c, f) for c, f in zip(letters, background)), ""]
    for number, width in enumerate(widths, 1):
        lines.append("MOTIF %d" % number)
        lines.append("letter-probability matrix: alength= %d w= %d nsites= 0 E= 0"
                     % (len(letters), width))
        for _ in range(width):
            lines.append("  " + "  ".join("%.6f" % v for v in column(rng, len(letters))))
        lines.extend(["", ""])
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def write_sites(path, rng, letters, widths, counts, nseqs):
    """The site file: a header, then one line per site of motif k (1-based) for counts[k-1]."""
    rows = []
    for number, (width, count) in enumerate(zip(widths, counts), 1):
        for _ in range(count):
            site = "".join(rng.choices(letters, k=width))
            rows.append("%d\tseq_%d\t%d\t%s" % (number, rng.randint(1, nseqs), rng.randint(1, 100), site))
    rng.shuffle(rows)
    with open(path, "w") as out:
        out.write("motif\tsequence\tstart\tsite\n")
        out.write("\n".join(rows) + "\n")


def workload_definitions(rng):
    many_n = rng.sample(range(50, 1201), 40)
    return {
        # name: (letters, background, sequences, length range, motif widths, site counts)
        "dna-large": (DNA, DNA_BACKGROUND, 5000, (200, 500),
                      [rng.randint(12, 20) for _ in range(3)], [1500, 3000, 4500]),
        "protein": (PROTEIN, PROTEIN_BACKGROUND, 2000, (100, 400),
                    [rng.randint(8, 15) for _ in range(3)], [200, 400, 800]),
        "many-n": (DNA, DNA_BACKGROUND, 1500, (200, 500),
                   [rng.randint(8, 16) for _ in range(40)], many_n),
        "io": (DNA, DNA_BACKGROUND, 400000, (100, 600),
               [rng.randint(8, 16) for _ in range(50)], [rng.randint(2, 20) for _ in range(50)]),
        "single-20000": (DNA, DNA_BACKGROUND, 25000, (200, 500), [15], [20000]),
        "dna-50k": (DNA, DNA_BACKGROUND, 50000, (200, 500), [12], [50000]),
    }


def generate(work, names):
    rng = random.Random(SEED)
    workloads = workload_definitions(rng)
    files = {}
    for name in workloads:
        letters, background, nseqs, (lo, hi), widths, counts = workloads[name]
        wrng = random.Random("%d-%s" % (SEED, name))  # each workload its own fixed stream
        paths = [os.path.join(work, "%s.%s" % (name, ext)) for ext in ("seqs", "motifs", "sites")]
        files[name] = paths
        if name not in names or all(os.path.exists(p) for p in paths):
            continue
        print("generating %s..." % name, flush=True)
        write_sequences(paths[0], wrng, letters, nseqs, lo, hi)
        write_motifs(paths[1], wrng, letters, background, widths)
        write_sites(paths[2], wrng, letters, widths, counts, nseqs)
    return files


# ----------------------------------------------------------------------------- running

def build(build_dir):
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DMOTIFSIG_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "motifsig"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "motifsig")


def timed_run(argv, stdout=subprocess.DEVNULL):
    """(wall seconds, peak resident memory in KiB) of one run, which must succeed."""
    if os.path.exists("/usr/bin/time"):
        with tempfile.NamedTemporaryFile("r") as report:
            start = time.perf_counter()
            subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + argv, check=True,
                           stdout=stdout)
            wall = time.perf_counter() - start
            return wall, int(report.read().split()[-1])
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=stdout)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise subprocess.CalledProcessError(child.returncode, argv)
    return wall, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=3, help="paired runs per workload (>= 1)")
    parser.add_argument("--only", default="", help="comma-separated workload names")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-bench"),
                        help="directory for the build and generated files")
    parser.add_argument("--no-build", action="store_true", help="use the build already in --work")
    parser.add_argument("--threads", type=int, default=0,
                        help="--threads for the normal build's first column (0: its default)")
    parser.add_argument("--plain-all", action="store_true",
                        help="run the plain kernel on dna-50k too")
    args = parser.parse_args()

    names = ["dna-large", "protein", "many-n", "io", "single-20000", "dna-50k"]
    if args.only:
        names = [n for n in args.only.split(",") if n]
    os.makedirs(args.work, exist_ok=True)
    data = os.path.join(args.work, "data")
    os.makedirs(data, exist_ok=True)

    build_dir = os.path.join(args.work, "build")
    if args.no_build:
        fast = os.path.join(build_dir, "motifsig")
    else:
        print("building...", flush=True)
        fast = build(build_dir)
    files = generate(data, names)

    threads = ["--threads", str(args.threads)] if args.threads > 0 else []
    kinds = {"fast": [fast] + threads, "one": [fast, "--threads", "1"], "plain": [fast, "--plain-kernel"]}
    load_before = os.getloadavg()[0]
    rows = []
    for name in names:
        seqs, motifs, sites = files[name]
        run_kinds = [k for k in kinds if k != "plain" or name != "dna-50k" or args.plain_all]
        times = {k: [] for k in run_kinds}
        memory = {k: 0 for k in run_kinds}
        outputs = {k: os.path.join(args.work, "%s.%s.out" % (name, k)) for k in run_kinds}
        for run in range(args.runs):
            order = run_kinds[run % len(run_kinds):] + run_kinds[:run % len(run_kinds)]
            for kind in order:
                wall, rss = timed_run(kinds[kind] + [seqs, motifs, sites, outputs[kind]])
                times[kind].append(wall)
                memory[kind] = max(memory[kind], rss)
            print("  %s run %d: %s" % (name, run + 1, ", ".join(
                "%s %.3fs" % (k, times[k][-1]) for k in run_kinds)), flush=True)
        same = all(subprocess.run(["cmp", "-s", outputs["fast"], outputs[k]]).returncode == 0
                   for k in run_kinds)
        row = {"name": name, "same": same, "wc": None}
        for k in kinds:
            row[k] = statistics.median(times[k]) if k in times else None
            row["mem_" + k] = memory.get(k)
        if name == "io":
            wc = []
            for _ in range(args.runs):
                wall, _ = timed_run(["wc", "-l", seqs, motifs, sites])
                wc.append(wall)
            row["wc"] = statistics.median(wc)
        rows.append(row)

    def seconds(value):
        return "%9.3f" % value if value is not None else "%9s" % "-"

    def ratio(plain_time, value):
        return "%7.2fx" % (plain_time / value) if plain_time is not None else "%8s" % "-"

    def mib(kib):
        return "%9.1f" % (kib / 1024.0) if kib is not None else "%9s" % "-"

    print()
    print("median of %d paired runs; %s threads in the first column; memory is peak resident set "
          "size; load average %.2f before, %.2f after (other work on the machine slows every "
          "build)" % (args.runs, args.threads if args.threads > 0 else "default", load_before,
                      os.getloadavg()[0]))
    print("%-13s %9s %9s %8s %9s %8s %9s %9s %9s %10s" % (
        "workload", "plain s", "fast s", "speedup", "1-thr s", "speedup", "fast MiB", "1-thr MiB",
        "plain MiB", "identical"))
    for r in rows:
        print("%-13s %s %s %s %s %s %s %s %s %10s" % (
            r["name"], seconds(r["plain"]), seconds(r["fast"]), ratio(r["plain"], r["fast"]),
            seconds(r["one"]), ratio(r["plain"], r["one"]), mib(r["mem_fast"]), mib(r["mem_one"]),
            mib(r["mem_plain"]), "yes" if r["same"] else "NO"))
    for r in rows:
        if r["wc"] is not None:
            print("io: motifsig %.3fs, wc -l over the same files %.3fs: %.2fx"
                  % (r["fast"], r["wc"], r["fast"] / r["wc"]))
    return 0 if all(r["same"] for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
