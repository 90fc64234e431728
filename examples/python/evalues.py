"""The E-values of the bundled examples through the Python package, one line per motif as
"FILE NUMBER E-VALUE", the values the tool writes after "E=" in its motif file. Run it from the
project's directory: python3 examples/python/evalues.py. It calls every function of the package
once, as a user's script would, and passes `mypy --strict`."""
import collections
import json
import math
import tempfile
from pathlib import Path

import motifsig

examples = Path("examples")
for folder, names in (examples, ("peaks.fa", "motifs.txt", "sites.tsv")), (
        examples / "protein", ("proteins.fa", "motifs.txt", "sites.tsv")):
    sequences, motifs, sites = (folder / name for name in names)
    result = motifsig.analyse(sequences, motifs, sites)
    for motif in result.motifs:
        print(motifs, motif.number, motif.evalue_text)

# The same numbers from data in memory, every keyword, and the files the tool writes.
best: motifsig.Motif = min(result.motifs, key=lambda motif: motif.log10_evalue)
lengths = [len(line) for line in sequences.read_text().splitlines() if not line.startswith(">")]
given = motifsig.Motifs(result.alphabet, [1 / len(result.alphabet)] * len(result.alphabet),
                        [best.rows], ids=[best.id], alts=[best.alt])
again = motifsig.analyse(lengths, given, collections.Counter({1: best.nsites}), strands=1,
                         palindromic=False, sites="per-sequence", background=None, fasta=False,
                         pvalues="accurate", threads=2)
assert again.motifs[0].width == best.width and math.isfinite(again.motifs[0].log10_evalue)
assert best.matrix.shape == (best.width, len(result.alphabet))
assert best.evalue == 10 ** best.log10_evalue and best.columns[0].log10_pvalue <= 0
counts = [round(p * best.nsites) for p in best.rows[0]]
assert motifsig.column_pvalue(counts, [1.0] * len(counts), pvalues="lattice") <= 0
assert json.loads(result.to_json())["motifs"][0]["evalue"] == result.motifs[0].evalue_text
assert list(result.to_pandas().number) == [motif.number for motif in result.motifs]
warnings: list[motifsig.RunWarning] = result.warnings
with tempfile.TemporaryDirectory() as scratch:
    result.write(Path(scratch) / "out.txt", tsv=Path(scratch) / "out.tsv", logos=scratch + "/logos")
    try:
        result.write(Path(scratch) / "out.txt", tsv=Path(scratch) / "out.txt")
    except motifsig.OutputError as error:
        assert error.exit_status == 2 and not warnings
try:
    motifsig.analyse(lengths, given, [1, 2])
except motifsig.InputError as error:
    assert error.file is None and "site counts" in str(error)
