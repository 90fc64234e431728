"""The Python package against the tool (MOTIFSIG_EXE): its numbers from paths and from data,
its files, its errors and warnings, analyses on several threads and signals (the installed
package is checked by .ci/python-package.sh)."""
import collections
import concurrent.futures
import errno
import gzip
import json
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

import numpy
import pytest

import motifsig

EXE = os.environ["MOTIFSIG_EXE"]
EXAMPLES = Path(os.environ["MOTIFSIG_EXAMPLES"])
os.environ["SOURCE_DATE_EPOCH"] = "1796547600"  # the tool and the library date the reports alike
DNA = [EXAMPLES / "peaks.fa", EXAMPLES / "motifs.txt", EXAMPLES / "sites.tsv"]
PROTEIN = [EXAMPLES / "protein" / name for name in ("proteins.fa", "motifs.txt", "sites.tsv")]
OTHER_BACKGROUND = [0.4, 0.1, 0.1, 0.4]


def tool(*args, check=True):
    run = subprocess.run([EXE, "-q", *map(str, args)], capture_output=True, text=True)
    assert not check or run.returncode == 0, run.stderr
    return run


def tool_json(tmp_path, *args):
    tool("--json", tmp_path / "tool.json", *args, os.devnull)
    return json.loads((tmp_path / "tool.json").read_text())


def assert_as_tool(result, expected):
    """Every number and text the tool's JSON gives, to the bit."""
    assert len(result.motifs) == len(expected["motifs"])
    for motif, want in zip(result.motifs, expected["motifs"]):
        for name in ("number", "id", "alt", "width", "nsites", "llr", "log_evalue",
                     "log10_evalue", "rel_entropy"):
            value = math.inf if want[name] is None else want[name]  # JSON has no infinity
            assert getattr(motif, name) == value, (motif.number, name)
        assert motif.evalue_text == want["evalue"]
        assert [(c.rel_entropy, c.llr, c.log10_pvalue) for c in motif.columns] == [
            (c["rel_entropy"], c["llr"], c["log10_pvalue"]) for c in want["columns"]]
    assert json.loads(result.to_json())["motifs"] == expected["motifs"]


def in_memory(paths, expected, arrays=False):
    """The inputs of `paths` as data: sequences, matrices and site counts."""
    sequences = [line for line in paths[0].read_text().splitlines() if line and line[0] != ">"]
    rows = paths[1].read_text().splitlines()
    file_background = rows[rows.index("Background letter frequencies") + 1].split()[1::2]
    matrices = [m["matrix"] for m in expected["motifs"]]
    motifs = motifsig.Motifs(expected["inputs"]["alphabet"], file_background,
                             [numpy.array(m) for m in matrices] if arrays else matrices,
                             ids=[m["id"] for m in expected["motifs"]])
    numbers = [int(line.split("\t")[0]) for line in paths[2].read_text().splitlines()[1:]]
    return sequences, motifs, collections.Counter(numbers)


@pytest.mark.parametrize("paths, options, keywords", [
    (DNA, [], {}),
    (DNA, ["--strands", "2", "--sites", "anywhere", "--pvalues", "accurate"],
     dict(strands=2, sites_model="anywhere", pvalues="accurate")),
    (DNA, ["--strands", "2", "--palindromic"], dict(strands=2, palindromic=True)),
    (PROTEIN, [], {}),
], ids=["dna", "dna-model", "dna-palindromic", "protein"])
def test_examples_give_the_tools_numbers_from_paths_and_from_memory(tmp_path, paths, options,
                                                                    keywords):
    expected = tool_json(tmp_path, *options, *paths)
    packed = tmp_path / "packed.gz"
    packed.write_bytes(gzip.compress(paths[0].read_bytes()))
    assert_as_tool(motifsig.analyse(str(packed), *paths[1:], **keywords, threads=1), expected)
    sequences, motifs, sites = in_memory(paths, expected, arrays=paths is PROTEIN)
    lengths, counts = [len(s) for s in sequences], [m["nsites"] for m in expected["motifs"]]
    for data in [(sequences, motifs, sites), (lengths, paths[1], sites),
                 (lengths, vars(motifs), counts)]:
        result = motifsig.analyse(*data, **keywords)
        assert_as_tool(result, expected)
    pytest.importorskip("pandas")
    assert list(result.to_pandas().evalue_text) == [m["evalue"] for m in expected["motifs"]]


def test_column_pvalue_is_that_of_a_motifs_only_column():
    # One column of 3 A and 1 T: its p-value as a motif's column and on its own.
    for method in "lattice", "accurate":
        column = motifsig.Motifs("ACGT", OTHER_BACKGROUND, [[[0.75, 0, 0, 0.25]]])
        motif = motifsig.analyse([20] * 5, column, [4], pvalues=method).motifs[0]
        assert motif.columns[0].log_pvalue == motifsig.column_pvalue(
            [3, 0, 0, 1], OTHER_BACKGROUND, pvalues=method) < 0
    assert motifsig.column_pvalue([5, 5, 5, 5], [1, 1, 1, 1]) == 0  # not a hair above


def test_bad_input_raises_input_error_with_the_tools_message_and_the_next_call_works(tmp_path):
    bad = tmp_path / "motifs.txt"  # row 3 of motif 1, on line 11, is not a row of numbers
    bad.write_text(DNA[1].read_text().replace("0.9  0.03  0.04", "0.9  0.03  x", 1))
    run = tool(DNA[0], bad, DNA[2], tmp_path / "out.txt", check=False)
    with pytest.raises(motifsig.InputError) as caught:
        motifsig.analyse(DNA[0], bad, DNA[2])
    error = caught.value
    assert (error.file, error.line, error.exit_status) == (str(bad), 11, run.returncode)
    assert f"motifsig: {error}\n" == run.stderr and isinstance(error, ValueError)

    wrapped = tmp_path / "wrapped.fa"
    wrapped.write_text(re.sub(r"^(\w{60})", r"\1\n", DNA[0].read_text(), flags=re.M))
    run = tool(wrapped, *DNA[1:], tmp_path / "out.txt")
    with pytest.warns(motifsig.MotifsigWarning) as issued:
        result = motifsig.analyse(wrapped, *DNA[1:])
    texts = [f"motifsig: warning: {w.text}" for w in result.warnings]
    assert texts == run.stderr.splitlines() == [f"motifsig: warning: {w.message}" for w in issued]
    assert (result.warnings[0].file, result.warnings[0].line) == (str(wrapped), 1)
    assert_as_tool(motifsig.analyse(wrapped, *DNA[1:], fasta=True),
                   tool_json(tmp_path, "--fasta", wrapped, *DNA[1:]))
    sequences, motifs, sites = in_memory(DNA, tool_json(tmp_path, *DNA))
    motifs.matrices[1][0] = [0.5, 0.5, 0.5, 0.5]
    with pytest.raises(motifsig.InputError, match="motif 2") as caught:
        motifsig.analyse(sequences, motifs, sites)
    assert caught.value.file is None


def test_an_analysis_leaves_python_free():
    # The interpreter is free while one analysis of 3000 sites runs: this thread runs between
    # its start and end. The switch interval is made too long to take the lock from a thread,
    # so this thread can run meanwhile only if the analysis lets go of the lock.
    motifs = motifsig.Motifs("ACGT", [0.25] * 4, [[[0.7, 0.1, 0.1, 0.1]] * 8])
    span, turns = [], []

    def timed():
        span.append(time.perf_counter())
        result = motifsig.analyse([1000] * 6000, motifs, [3000])
        span.append(time.perf_counter())
        return result

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000)
    try:
        with concurrent.futures.ThreadPoolExecutor(1) as pool:
            running = pool.submit(timed)
            while not running.done():
                turns.append(time.perf_counter())
                time.sleep(0.0005)
    finally:
        sys.setswitchinterval(interval)
    assert any(span[0] < turn < span[1] for turn in turns)
    assert running.result().motifs[0].nsites == 3000


def test_write_gives_the_tools_files_byte_for_byte_all_or_none(tmp_path):
    folder = tmp_path / "out"
    paths = [folder / name for name in ("out.txt", "motifs.tsv", "report.json", "report.html")]
    logos = folder / "logos"
    folder.mkdir()
    run = tool("--tsv", paths[1], "--json", paths[2], "--html", paths[3], "--logos", logos,
               *PROTEIN, paths[0])
    folder.rename(tmp_path / "tool")
    folder.mkdir()
    result = motifsig.analyse(*PROTEIN)
    result.write(paths[0], tsv=paths[1], json=paths[2], html=paths[3], logos=logos,
                 command_line=" ".join(map(str, run.args)))
    files = [{str(p.relative_to(top)): p.read_bytes() for p in top.rglob("*") if p.is_file()}
             for top in (folder, tmp_path / "tool")]
    assert files[0] == files[1] and len(files[0]) == 6
    # Two results shown on one notebook page: each logo keeps a clip path of its own (logos
    # clip their letters when some are drawn as text, as lower-case ones are).
    lower = motifsig.analyse([10, 8], motifsig.Motifs("acgt", [0.25] * 4, [[[0.7, 0.1, 0.1, 0.1]]]
                                                      * 2), [2, 1])
    clips = [re.findall(r'id="([^"]*)"><rect', lower._repr_html_()) for _ in range(2)]
    assert len(clips[0]) == 2 and not set(clips[0]) & set(clips[1])

    shutil.rmtree(folder)
    folder.mkdir()
    for status, json_path in (1, tmp_path / "missing" / "report.json"), (2, paths[0]):
        with pytest.raises(motifsig.OutputError) as caught:
            result.write(paths[0], tsv=paths[1], json=json_path)
        assert caught.value.exit_status == status and isinstance(caught.value, OSError)
        assert (caught.value.errno, caught.value.filename) == (
            (errno.ENOENT, str(json_path)) if status == 1 else (None, None))
    assert list(folder.iterdir()) == []


def test_a_motif_offers_its_matrix_evalue_alphabet_and_a_one_line_view():
    text = DNA[1].read_text().split("letter-probability matrix")[1:]
    rows = [[[float(v) for v in line.split()] for line in block.splitlines()[1:] if line.strip()
             and line.split()[0][0] in "0123456789."] for block in text]
    result = motifsig.analyse(*DNA)
    assert result.alphabet == "ACGT"
    for motif, matrix in zip(result.motifs, rows):
        assert motif.rows == tuple(map(tuple, matrix)) and motif.alphabet == "ACGT"
        assert motif.evalue == 10 ** motif.log10_evalue
        assert "\n" not in repr(motif) and motif.evalue_text in repr(motif)
        assert "<svg" in motif._repr_html_() and motif.evalue_text in motif._repr_html_()
    table = result.motifs[0].matrix
    assert table.values.tolist() == rows[0] and list(table.columns) == list("ACGT")
    assert list(table.index) == list(range(1, 13))
    tiny = motifsig.analyse([100] * 4000, motifsig.Motifs("AC", [0.5, 0.5], [[[1, 0]] * 20]),
                            [3000]).motifs[0]
    assert tiny.log10_evalue < -400 and tiny.evalue == 0.0


def test_arguments_of_the_wrong_kind_get_the_packages_own_message():
    three = [[0.25] * 4]
    motifs = motifsig.Motifs("ACGT", [0.25] * 4, [three, three, three])
    cases = [
        (dict(strands=2.0), TypeError, "strands: expected 1 or 2, not 2.0"),
        (dict(strands=2, palindromic="no"), TypeError, "palindromic: expected True or False"),
        (dict(sites="everywhere"), ValueError, "sites: expected 'per-sequence' or 'anywhere'"),
        (dict(pvalues=1), ValueError, "pvalues: expected 'lattice' or 'accurate', not 1"),
        (dict(threads=1.5), TypeError, "threads: expected a whole number, not 1.5"),
        (dict(threads=2**31), ValueError, "threads: 2147483648 is out of range"),
        (dict(background=[0.25, "x", 0.25, 0.25]), TypeError, r"background\[1\]: expected a num"),
        (dict(motif_sites=[2**63, 1, 1]), motifsig.InputError, "motif 1 has too many sites"),
        (dict(sequences=[2**64]), motifsig.InputError, "sequence 1 is longer than 2147483647"),
        (dict(motif_sites=[]), motifsig.InputError, "0 site counts for 3 motifs"),
    ]
    for keywords, kind, message in cases:
        inputs = dict(sequences=[100] * 5, motifs=motifs, motif_sites=[1, 1, 1])
        inputs.update((k, keywords.pop(k)) for k in list(keywords) if k in inputs)
        with pytest.raises(kind, match=message):
            motifsig.analyse(*inputs.values(), **keywords)
    with pytest.raises(motifsig.InputError, match="single bytes"):
        motifsig.Motifs("ÄÖÜß", [0.25] * 4, [])
    with pytest.raises(TypeError, match=r"ids\[0\]: expected a string, not None"):
        motifsig.Motifs("ACGT", [0.25] * 4, [three], ids=[None])

    # The first release's keywords still work, with a warning, until the next.
    expected = motifsig.analyse(*DNA, sites="anywhere").motifs
    for old in dict(sites_model="anywhere"), dict(sites=DNA[2], sites_model="anywhere"):
        with pytest.warns(DeprecationWarning):
            assert motifsig.analyse(*DNA[:3 - ("sites" in old)], **old).motifs == expected


def test_versions_agree_everywhere():
    root = EXAMPLES.parent
    header = (root / "include" / "motifsig" / "motifsig.h").read_text()
    version = ".".join(re.search(rf"#define MOTIFSIG_VERSION_{part} (\d+)", header)[1]
                       for part in ("MAJOR", "MINOR", "PATCH"))
    assert motifsig.__version__ == version
    assert tool("--version").stdout == f"motifsig {version}\n"
    citation = (root / "CITATION.cff").read_text()
    released = [re.search(rf"^{key}: (\S+)$", citation, re.M)[1]
                for key in ("version", "date-released")]
    changelog = (root / "CHANGELOG.md").read_text()
    assert re.findall(r"^## (\d+\.\d+\.\d+) - (\S+)$", changelog, re.M)[0] == (
        version, released[1]) and released[0] == version


# A program that analyses or writes in a loop until it is signalled, then says how it ended.
SIGNALLED = """
import sys, time, motifsig
rows = [[(0.7 - 0.02 * i) / 19] * 20 for i in range(20)]
for i, row in enumerate(rows):
    row[i] = 0.3 + 0.02 * i  # every column its own LLR: seconds of accurate p-values
motifs = motifsig.Motifs("ACDEFGHIKLMNPQRSTVWY", [0.05] * 20, [rows[:k + 2] for k in range(19)])
try:
    if sys.argv[1] == "analyse":
        print("go", flush=True)
        motifsig.analyse([500] * 2000, motifs, range(280, 299), pvalues="accurate")
    else:
        many = motifsig.Motifs(motifs.alphabet, motifs.background, motifs.matrices * 8)
        result = motifsig.analyse([500] * 2000, many, [30] * 152)
        print("go", flush=True)
        while True:
            result.write("out.txt", tsv="out.tsv", logos="logos")
except KeyboardInterrupt:
    print("interrupted", time.monotonic(), flush=True)
"""


@pytest.mark.parametrize("work, sig", [("analyse", signal.SIGINT), ("write", signal.SIGINT),
                                       ("write", signal.SIGTERM)])
def test_signals_stop_the_work_at_once_and_leave_no_temporary_file(tmp_path, work, sig):
    run = subprocess.Popen([sys.executable, "-c", SIGNALLED, work], cwd=tmp_path, text=True,
                           stdout=subprocess.PIPE)
    assert run.stdout.readline() == "go\n"
    time.sleep(1)
    while work == "write" and not list(tmp_path.rglob(".motifsig-*")):
        time.sleep(0.001)  # the signal comes while files are in flight
    sent = time.monotonic()
    run.send_signal(sig)
    out, _ = run.communicate(timeout=30)
    if sig == signal.SIGTERM:
        assert run.returncode == -sig
    else:
        assert float(out.split()[1]) - sent < 1 and run.returncode == 0
    assert [p.name for p in tmp_path.rglob(".motifsig-*")] == []
