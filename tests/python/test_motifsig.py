"""The Python package against the tool: the same numbers from paths and from data in memory,
the same files from Result.write, errors that leave the interpreter working, and analyses on
several threads at once. MOTIFSIG_EXE and MOTIFSIG_EXAMPLES name the tool and examples/."""
import collections
import concurrent.futures
import gzip
import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

import numpy
import pytest

import motifsig

EXE = os.environ["MOTIFSIG_EXE"]
BUILD, SITE_PACKAGES = os.environ["MOTIFSIG_BUILD"], os.environ["MOTIFSIG_SITE_PACKAGES"]
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
            assert getattr(motif, name) == want[name], (motif.number, name)
        assert motif.evalue_text == want["evalue"]
        assert [(c.rel_entropy, c.llr, c.log10_pvalue) for c in motif.columns] == [
            (c["rel_entropy"], c["llr"], c["log10_pvalue"]) for c in want["columns"]]
    assert json.loads(result.to_json())["motifs"] == expected["motifs"]
    assert [w.text for w in result.warnings] == [
        (f"{w['file']}:{w['line']}: " if w["line"] else "") + w["message"]
        for w in expected["warnings"]]


def in_memory(paths, expected, background=None, arrays=False):
    """The inputs of `paths` as data: sequences, matrices and site counts."""
    sequences = [line for line in Path(paths[0]).read_text().splitlines()
                 if line and not line.startswith(">")]
    rows = Path(paths[1]).read_text().splitlines()
    file_background = rows[rows.index("Background letter frequencies") + 1].split()[1::2]
    matrices = [m["matrix"] for m in expected["motifs"]]
    motifs = motifsig.Motifs(expected["inputs"]["alphabet"], background or file_background,
                             [numpy.array(m) for m in matrices] if arrays else matrices,
                             ids=[m["id"] for m in expected["motifs"]])
    numbers = [line.split("\t")[0] for line in Path(paths[2]).read_text().splitlines()[1:]]
    return sequences, motifs, collections.Counter(int(n) for n in numbers)


@pytest.mark.parametrize("paths, options, keywords", [
    (DNA, [], {}),
    (DNA, ["--strands", "2", "--sites", "anywhere", "--pvalues", "accurate"],
     dict(strands=2, sites_model="anywhere", pvalues="accurate")),
    (PROTEIN, [], {}),
], ids=["dna", "dna-model", "protein"])
def test_examples_give_the_tools_numbers_from_paths_and_from_memory(tmp_path, paths, options,
                                                                    keywords):
    expected = tool_json(tmp_path, *options, *paths)
    packed = tmp_path / "sequences.gz"
    packed.write_bytes(gzip.compress(paths[0].read_bytes()))
    assert_as_tool(motifsig.analyse(str(packed), *paths[1:], **keywords, threads=1), expected)
    sequences, motifs, sites = in_memory(paths, expected, arrays=paths is PROTEIN)
    lengths = [len(s) for s in sequences]
    assert_as_tool(motifsig.analyse(sequences, motifs, sites, **keywords), expected)
    counts = [m["nsites"] for m in expected["motifs"]]
    result = motifsig.analyse(lengths, vars(motifs), counts, **keywords)
    assert_as_tool(result, expected)
    pytest.importorskip("pandas")
    assert list(result.to_pandas().evalue_text) == [m["evalue"] for m in expected["motifs"]]


def test_another_background_in_the_same_interpreter_gives_the_tools_numbers(tmp_path):
    default = tool_json(tmp_path, *DNA)
    background = tmp_path / "background.txt"
    background.write_text("".join(f"{a} {q}\n" for a, q in zip("ACGT", OTHER_BACKGROUND)))
    other = tool_json(tmp_path, "--background", background, *DNA)
    text = DNA[1].read_text().replace("A 0.29 C 0.21 G 0.21 T 0.29", "A 0.4 C 0.1 G 0.1 T 0.4")
    (tmp_path / "motifs.txt").write_text(text)
    in_file = tool_json(tmp_path, DNA[0], tmp_path / "motifs.txt", DNA[2])
    assert in_file["motifs"][0]["evalue"] != default["motifs"][0]["evalue"]

    assert_as_tool(motifsig.analyse(*DNA), default)
    assert_as_tool(motifsig.analyse(*in_memory(DNA, default, OTHER_BACKGROUND)), in_file)
    assert_as_tool(motifsig.analyse(*DNA, background=OTHER_BACKGROUND), other)
    assert_as_tool(motifsig.analyse(*DNA, background=background), other)
    assert_as_tool(motifsig.analyse(*in_memory(DNA, default)), default)


def test_bad_input_raises_input_error_with_the_tools_message_and_the_next_call_works(tmp_path):
    lines = DNA[1].read_text().splitlines(keepends=True)
    lines[10] = "  0.9  0.03  x  0.03\n"
    bad = tmp_path / "motifs.txt"
    bad.write_text("".join(lines))
    run = tool(DNA[0], bad, DNA[2], tmp_path / "out.txt", check=False)
    with pytest.raises(ValueError) as caught:
        motifsig.analyse(DNA[0], bad, DNA[2])
    error = caught.value
    assert isinstance(error, motifsig.InputError)
    assert (error.file, error.line, error.exit_status) == (str(bad), 11, run.returncode)
    assert f"motifsig: {error}\n" == run.stderr
    expected = tool_json(tmp_path, *DNA)
    assert_as_tool(motifsig.analyse(*DNA), expected)

    sequences, motifs, sites = in_memory(DNA, expected)
    motifs.matrices[1][0] = [0.5, 0.5, 0.5, 0.5]
    with pytest.raises(motifsig.InputError, match="motif 2") as caught:
        motifsig.analyse(sequences, motifs, sites)
    assert caught.value.file is None
    with pytest.raises(motifsig.InputError, match="site of motif 4"):
        motifsig.analyse(sequences, motifs, {4: 1})


def test_four_analyses_on_a_thread_pool_equal_four_serial_ones():
    calls = [(DNA, {}), (PROTEIN, {}), (DNA, dict(strands=2)),
             (DNA, dict(background=OTHER_BACKGROUND, pvalues="accurate"))]
    serial = [motifsig.analyse(*paths, **keywords).motifs for paths, keywords in calls]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        threaded = list(pool.map(lambda call: motifsig.analyse(*call[0], **call[1]).motifs, calls))
    assert threaded == serial
    assert len({m[0].evalue_text for m in serial}) == 4


def test_write_gives_the_tools_files_byte_for_byte_all_or_none(tmp_path):
    def outputs(folder):
        folder.mkdir()
        return [folder / name for name in ("out.txt", "motifs.tsv", "report.json",
                                           "report.html", "logos")]

    ours, theirs = outputs(tmp_path / "ours"), outputs(tmp_path / "theirs")
    options = ["--tsv", theirs[1], "--json", theirs[2], "--html", theirs[3], "--logos", theirs[4]]
    run = tool(*options, *PROTEIN, theirs[0])
    command_line = " ".join(map(str, run.args))
    result = motifsig.analyse(*PROTEIN)
    result.write(ours[0], tsv=ours[1], json=ours[2], html=ours[3], logos=ours[4],
                 command_line=command_line)
    for mine, tools in zip(ours[:4], theirs[:4]):
        assert mine.read_bytes() == tools.read_bytes(), mine.name
    assert sorted(p.name for p in ours[4].iterdir()) == sorted(p.name for p in theirs[4].iterdir())
    for logo in theirs[4].iterdir():
        assert (ours[4] / logo.name).read_bytes() == logo.read_bytes()
    shown = result._repr_html_()
    assert shown.count("<svg") >= len(result.motifs)
    assert all(m.evalue_text in shown for m in result.motifs)

    shutil.rmtree(tmp_path / "ours")
    ours = outputs(tmp_path / "ours")
    with pytest.raises(motifsig.OutputError) as caught:
        result.write(ours[0], tsv=ours[1], json=tmp_path / "missing" / "report.json")
    assert caught.value.exit_status == 1 and "missing" in str(caught.value)
    with pytest.raises(motifsig.OutputError) as caught:
        result.write(ours[0], tsv=ours[0])
    assert caught.value.exit_status == 2
    assert list((tmp_path / "ours").iterdir()) == []


def test_installed_package_answers_from_site_packages(tmp_path):
    install = subprocess.run(["cmake", "--install", BUILD, "--component", "python"],
                             env=dict(os.environ, DESTDIR=str(tmp_path)), capture_output=True)
    assert install.returncode == 0, install.stderr
    site = tmp_path / SITE_PACKAGES.lstrip("/")
    program = ("import motifsig; print(motifsig.__file__); print(motifsig.analyse("
               "'examples/peaks.fa', 'examples/motifs.txt', 'examples/sites.tsv')"
               ".motifs[0].evalue_text)")
    run = subprocess.run([sys.executable, "-c", program], cwd=EXAMPLES.parent, text=True,
                         env=dict(os.environ, PYTHONPATH=str(site)), capture_output=True)
    assert run.stdout.splitlines() == [str(site / "motifsig" / "__init__.py"), "3.70728e-26"]
