"""Recomputes how significant sequence motifs are, from their sites.

    >>> import motifsig
    >>> result = motifsig.analyse("examples/peaks.fa", "examples/motifs.txt", "examples/sites.tsv")
    >>> result.motifs[0].evalue_text
    '3.70728e-26'

`analyse` takes each input as a path (plain or gzip) or as the data itself, and returns a
`Result`: its motifs with their statistics, the run's warnings, a table (`to_pandas`), the JSON
document (`to_json`) and the tool's files (`write`). A fault in the input raises `InputError`.
The command-line tool and this package give the same numbers to the bit.
"""

from __future__ import annotations

import gzip
import html as _html
import operator
import os
import uuid
import warnings as _warnings
import zlib
from collections.abc import Iterable, Mapping, Sequence
from dataclasses import dataclass
from typing import TYPE_CHECKING, Any

from . import _motifsig

if TYPE_CHECKING:
    import pandas

__all__ = [
    "analyse", "column_pvalue", "Motifs", "Result", "Motif", "Column", "RunWarning", "Error",
    "InputError", "OutputError", "MotifsigWarning",
]
__version__ = _motifsig.__version__

Matrix = Sequence[Sequence[float]]  # one row per column of the motif, one value per letter


class Error(Exception):
    """A fault of an analysis or of writing its files, as the tool reports it.

    str(error) is the tool's message without its "motifsig: " prefix, for example
    "examples/motifs.txt:12: ...". `file` and `line` say where the fault is (None when it is not
    in a file, or at no particular line); `exit_status` is the status the tool would exit with:
    1 for bad input or a failed output, 2 for a usage error.
    """

    def __init__(self, message: str, *, file: str | None = None, line: int | None = None,
                 exit_status: int = 1) -> None:
        super().__init__(message)
        self.message = message
        self.file = file
        self.line = line
        self.exit_status = exit_status

    def __reduce__(self):  # keeps the attributes across processes
        return (type(self), (self.message,), self.__dict__)


class InputError(Error, ValueError):
    """An input that cannot be analysed: a bad file, or bad data given in memory."""


class OutputError(Error, OSError):
    """A file that `Result.write` could not write; none of its files was written then."""


class MotifsigWarning(UserWarning):
    """Valid input that is probably a mistake (the tool's "motifsig: warning: ...")."""


def _error(cls: type, failure: BaseException) -> Error:
    return cls(str(failure), file=failure.file, line=failure.line,
               exit_status=failure.exit_status)


@dataclass(frozen=True)
class RunWarning:
    """A warning of a run: `file` and `line` are None when it is about no file or line."""

    file: str | None
    line: int | None
    message: str
    text: str  # "FILE:LINE: message", as the tool prints it after "motifsig: warning: "

    def __str__(self) -> str:
        return self.text


@dataclass(frozen=True)
class Column:
    """One column of a motif: `rel_entropy` in bits against the run's background, `llr` in nats
    over the motif's sites, `log_pvalue` the natural log of the p-value of `llr` as the E-value
    was computed from it (for a column at the background it can read a hair above 0, about
    1e-7), and `log10_pvalue` its log10, at most 0, as the reports show it."""

    rel_entropy: float
    llr: float
    log_pvalue: float
    log10_pvalue: float


@dataclass(frozen=True)
class Motif:
    """One motif's statistics: its `number` (1, 2, ... in the order of the motifs), `id` and
    `alt` (from its "MOTIF id alt" line; empty when absent), `width`, `nsites`, `llr` in nats,
    `log_evalue` (natural log; inf when its sites cannot all be placed), `log10_evalue`,
    `evalue_text` (exactly as the motif file writes it, as "3.70728e-26"), `columns` and
    `rel_entropy`. An E-value can be too small for a float: sort by `log10_evalue`, show
    `evalue_text`."""

    number: int
    id: str
    alt: str
    width: int
    nsites: int
    llr: float
    log_evalue: float
    log10_evalue: float
    evalue_text: str
    columns: tuple[Column, ...]

    @property
    def rel_entropy(self) -> float:
        """Relative entropy against the run's background in bits: the columns' sum."""
        return sum(column.rel_entropy for column in self.columns)


class Motifs:
    """Motifs given in memory: an alphabet, its background and one matrix per motif.

    Each matrix has one row per motif column and, in each row, the probability of each letter
    in alphabet order; a list of rows and a 2-D numpy array both do. `ids` and `alts` name the
    motifs as a motif file's "MOTIF id alt" lines do. A dict with these keys is taken as well:
    {"alphabet": "ACGT", "background": [...], "matrices": [...], "ids": [...]}.
    """

    def __init__(self, alphabet: str, background: Sequence[float], matrices: Iterable[Matrix],
                 ids: Sequence[str] | None = None,
                 alts: Sequence[str] | None = None) -> None:
        if not isinstance(alphabet, str):
            raise TypeError(f"alphabet: expected a string such as 'ACGT', not {alphabet!r}")
        self.alphabet = alphabet
        self.background = [float(value) for value in background]
        self.matrices = [_matrix(matrix, k + 1) for k, matrix in enumerate(matrices)]
        self.ids = _names(ids, "ids", len(self.matrices))
        self.alts = _names(alts, "alts", len(self.matrices))

    def __len__(self) -> int:
        return len(self.matrices)

    def __repr__(self) -> str:
        return f"motifsig.Motifs({self.alphabet!r}, {len(self)} motifs)"


def _matrix(matrix: Matrix, number: int) -> list[list[float]]:
    try:
        return [[float(value) for value in row] for row in matrix]
    except TypeError:
        raise TypeError(f"motif {number}: expected a matrix, a list of rows of numbers") from None


def _names(names: Sequence[str] | None, what: str, count: int) -> list[str]:
    if names is None:
        return [""] * count
    names = [str(name) for name in names]
    if len(names) != count:
        raise ValueError(f"{what}: {len(names)} names for {count} matrices")
    return names


class Result:
    """The statistics of one analysis: `motifs` in their order and the run's `warnings`.

    `to_pandas`, `to_json` and `write` give them as a table, as the tool's JSON document and as
    the tool's files; in Jupyter a result shows as a table with each motif's logo."""

    def __init__(self, raw: Any) -> None:
        self._raw = raw
        self.motifs: list[Motif] = [
            Motif(m.number, m.id, m.alt, m.width, m.nsites, m.llr, m.log_evalue, m.log10_evalue,
                  m.evalue_text,
                  tuple(Column(c.rel_entropy, c.llr, c.log_pvalue, c.log10_pvalue)
                        for c in m.columns))
            for m in raw.motifs
        ]
        self.warnings: list[RunWarning] = [
            RunWarning(w.file or None, w.line or None, w.message, w.text) for w in raw.warnings
        ]

    def __repr__(self) -> str:
        return (f"<motifsig.Result: {len(self.motifs)} motifs, "
                f"{len(self.warnings)} warnings>")

    def to_pandas(self) -> "pandas.DataFrame":
        """One row per motif: number, id, alt, width, nsites, llr, rel_entropy, log_evalue,
        log10_evalue and evalue_text (sort by log10_evalue)."""
        try:
            import pandas
        except ImportError:
            raise ImportError("Result.to_pandas needs pandas, which is not installed "
                              "(apt-get install python3-pandas, or pip install pandas)") from None
        names = ["number", "id", "alt", "width", "nsites", "llr", "rel_entropy", "log_evalue",
                 "log10_evalue", "evalue_text"]
        return pandas.DataFrame([[getattr(m, name) for name in names] for m in self.motifs],
                                columns=names)

    def to_json(self, command_line: str = "") -> str:
        """The JSON document the tool writes with --json (docs/reports.md describes it)."""
        return self._raw.json_text(command_line)

    def write(self, output: str | os.PathLike | None, *, tsv: str | os.PathLike | None = None,
              json: str | os.PathLike | None = None, html: str | os.PathLike | None = None,
              logos: str | os.PathLike | None = None, command_line: str = "") -> None:
        """Writes the motif file `output` and the reports asked for, as the tool does.

        `tsv`, `json` and `html` are the reports of --tsv, --json and --html, `logos` a
        directory for one SVG logo per motif; None writes no such file. Either every file is
        written or none is: each goes to a temporary file first, renamed into place only when
        all are complete. `command_line` is shown in the JSON and HTML reports.

        Raises OutputError when a file cannot be written, or when two of the paths are one
        file (exit_status 2).
        """
        paths = [_path(path, name) for path, name in
                 ((output, "output"), (tsv, "tsv"), (json, "json"), (html, "html"),
                  (logos, "logos"))]
        try:
            self._raw.write(*paths, command_line)
        except _motifsig.Failure as failure:
            raise _error(OutputError, failure) from None

    def _repr_html_(self) -> str:
        # A notebook shows many results on one page: each logo's clip path gets a name of its
        # own, or a logo would be cut to the box of another result's logo of the same number.
        unique = f"clip-{uuid.uuid4().hex[:12]}-"
        rows = []
        for m in self.motifs:
            name = " ".join(part for part in (m.id, m.alt) if part)
            logo = self._raw.logo_svg(m.number).replace('id="clip-', f'id="{unique}')
            rows.append(
                f"<tr><td>{m.number}</td><td>{_html.escape(name)}</td><td>{m.width}</td>"
                f"<td>{m.nsites}</td><td style='white-space:nowrap'>"
                f"{_html.escape(m.evalue_text)}</td><td>{m.rel_entropy:.4g}</td>"
                f"<td>{m.llr:.4g}</td><td style='text-align:left'>"
                f"{logo.replace('url(#clip-', f'url(#{unique}')}</td></tr>")
        warnings = "".join(f"<li>{_html.escape(w.text)}</li>" for w in self.warnings)
        return ("<div><table><thead><tr><th>Motif</th><th>Name</th><th>Width</th><th>Sites</th>"
                "<th>E-value</th><th>Rel. entropy (bits)</th><th>LLR (nats)</th><th>Logo</th>"
                f"</tr></thead><tbody>{''.join(rows)}</tbody></table>"
                + (f"<p>Warnings:</p><ul>{warnings}</ul>" if warnings else "") + "</div>")


def _is_path(value: Any) -> bool:
    return isinstance(value, (str, os.PathLike))


def _path(value: str | os.PathLike | None, what: str) -> bytes:
    path = b"" if value is None else os.fsencode(value)
    if value is not None and not path:
        raise ValueError(f"{what}: expected a file name, not ''")  # as from an unset variable
    return path


def _whole(value: Any, what: str) -> int:
    if isinstance(value, (bool, float)):
        raise TypeError(f"{what}: expected a whole number, not {value!r}")
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{what}: expected a whole number, not {value!r}") from None


def _sequences(inputs: Any, sequences: Any) -> None:
    if _is_path(sequences):
        inputs.sequences_path = _path(sequences, "sequences")
        return
    if isinstance(sequences, (bytes, bytearray)):
        raise TypeError("sequences: expected a path or a list of sequences or lengths, "
                        "not bytes")
    lengths = []
    for i, sequence in enumerate(sequences):
        if isinstance(sequence, (str, bytes)):
            lengths.append(len(sequence))
        else:
            lengths.append(_whole(sequence, f"sequences[{i}]"))
    if not lengths:
        raise InputError("no sequences: give at least one")
    inputs.sequence_lengths = lengths


def _motifs(inputs: Any, motifs: Any) -> Any:
    """Sets the motifs; returns their path or a Motifs."""
    if _is_path(motifs):
        inputs.motifs_path = _path(motifs, "motifs")
        return motifs
    if isinstance(motifs, Mapping):
        motifs = Motifs(**motifs)
    if not isinstance(motifs, Motifs):
        raise TypeError("motifs: expected a path, a motifsig.Motifs or a dict with the keys "
                        f"alphabet, background and matrices, not {type(motifs).__name__}")
    inputs.alphabet = motifs.alphabet
    inputs.background = motifs.background
    inputs.motifs = [_motifsig.MotifMatrix(rows, id, alt)
                     for rows, id, alt in zip(motifs.matrices, motifs.ids, motifs.alts)]
    return motifs


def _motif_count(path: str | os.PathLike) -> int | None:
    """The number of motifs in a motif file, where each starts at a line naming a
    letter-probability matrix; None when the file cannot be read (the analysis then says why)."""
    try:
        with open(path, "rb") as file:
            packed = file.read(2) == b"\x1f\x8b"
        with (gzip.open if packed else open)(path, "rb") as file:
            return sum(b"letter-probability matrix" in line for line in file)
    except (OSError, EOFError, zlib.error):
        return None


def _sites(inputs: Any, sites: Any, motifs: Any) -> None:
    if _is_path(sites):
        inputs.sites_path = _path(sites, "sites")
        return
    if not isinstance(sites, Mapping):
        inputs.site_counts = [_whole(count, f"sites[{i}]") for i, count in enumerate(sites)]
        return
    counts = {_whole(number, "sites: motif number"): _whole(count, f"sites[{number!r}]")
              for number, count in sites.items()}
    nmotifs = len(motifs) if isinstance(motifs, Motifs) else _motif_count(motifs)
    if nmotifs is None:
        nmotifs = max(counts, default=0)
    for number, count in counts.items():
        if number < 1 or number > nmotifs:
            raise InputError(f"site of motif {number}, but motifs are numbered 1 to {nmotifs}"
                             if nmotifs else f"site of motif {number}, but there are no motifs")
        if count < 0:
            raise InputError(f"motif {number} has {count} sites; a count cannot be negative")
    inputs.site_counts = [counts.get(number, 0) for number in range(1, nmotifs + 1)]


def analyse(sequences: str | os.PathLike | Iterable[str] | Iterable[int],
            motifs: str | os.PathLike | Motifs | Mapping[str, Any],
            sites: str | os.PathLike | Sequence[int] | Mapping[int, int], *,
            strands: int = 1, palindromic: bool = False, sites_model: str = "per-sequence",
            background: str | os.PathLike | Sequence[float] | None = None, fasta: bool = False,
            pvalues: str = "lattice", threads: int | None = None) -> Result:
    """Computes every motif's E-value and column p-values from its sites, as the tool does.

    Each input is a path (str or os.PathLike; plain or gzip-compressed) or the data itself:

    sequences  the sequence file, or the sequences as strings, or their lengths as integers
               (only the number and lengths of the sequences matter).
    motifs     the motif file, or a motifsig.Motifs (or a dict of its arguments): the alphabet,
               its background and one matrix per motif.
    sites      the site file, or the number of sites of each motif as a list in the motifs'
               order, or as a dict {motif number: count}. Motif numbers, one per site (the
               site file's first column), become such a dict with collections.Counter(numbers).

    The keywords describe the search the motifs were found with, as the tool's options do:
    strands=2 counts every site position on both strands, palindromic=True (with strands=2)
    counts it once for motifs that are their own reverse complement, sites_model="anywhere"
    lets a sequence hold several sites, and background (a path to "LETTER FREQUENCY" lines,
    or one frequency per letter in alphabet order) replaces the motifs' background. fasta=True
    reads the sequence file as FASTA records of any number of lines. pvalues="accurate"
    computes the column p-values exactly or within 2% instead of on a lattice of 200 steps.
    threads sets the number of threads (default: OMP_NUM_THREADS when set, else every core).

    Returns a Result. Raises InputError (a ValueError) with the tool's message, file and line
    when an input is bad; the run's warnings come as MotifsigWarning and in Result.warnings.
    Other Python threads run while the statistics are computed.
    """
    if strands not in (1, 2) or isinstance(strands, bool):
        raise ValueError(f"strands: expected 1 or 2, not {strands!r}")
    if palindromic and strands != 2:
        raise ValueError("palindromic needs strands=2: a site and its reverse complement count "
                         "once only when both strands are searched")
    site_models = {"per-sequence": _motifsig.SiteModel.per_sequence,
                   "anywhere": _motifsig.SiteModel.anywhere}
    if sites_model not in site_models:
        raise ValueError(f"sites_model: expected 'per-sequence' or 'anywhere', not {sites_model!r}")
    model = _motifsig.SearchModel()
    model.strands = strands
    model.palindromic = bool(palindromic)
    model.sites = site_models[sites_model]
    model.pvalues = _pvalue_method(pvalues)
    if threads is None:
        threads = 0
    elif not 1 <= _whole(threads, "threads") <= 4096:
        raise ValueError(f"threads: expected a whole number from 1 to 4096, not {threads!r}")

    inputs = _motifsig.Inputs()
    _sequences(inputs, sequences)
    inputs.fasta = bool(fasta)
    if background is None:
        pass
    elif _is_path(background):
        inputs.background_path = _path(background, "background")
    else:
        inputs.background_override = [float(value) for value in background]
    _sites(inputs, sites, _motifs(inputs, motifs))
    try:
        result = Result(_motifsig.analyse(inputs, model, threads))
    except _motifsig.Failure as failure:
        raise _error(InputError, failure) from None
    for warning in result.warnings:
        _warnings.warn(warning.text, MotifsigWarning, stacklevel=2)
    return result


def _pvalue_method(pvalues: str) -> Any:
    methods = {"lattice": _motifsig.PvalueMethod.lattice,
               "accurate": _motifsig.PvalueMethod.accurate}
    if pvalues not in methods:
        raise ValueError(f"pvalues: expected 'lattice' or 'accurate', not {pvalues!r}")
    return methods[pvalues]


def column_pvalue(counts: Sequence[int], background: Sequence[float], *,
                  pvalues: str = "lattice") -> float:
    """The natural log of the p-value of one alignment column's LLR.

    `counts` holds how often each letter occurs in the column, `background` the letters'
    frequencies (rescaled to sum 1); the p-value is that of the column's LLR under sum(counts)
    letters drawn from the background, as the tool computes it for a motif's column, but never
    above 0 (a p-value above 1 is a rounding of the tail table). pvalues="accurate" computes it
    exactly or within 2%.
    """
    method = _pvalue_method(pvalues)
    whole = [_whole(count, f"counts[{i}]") for i, count in enumerate(counts)]
    try:
        value = _motifsig.column_log_pvalue(whole, [float(v) for v in background], method)
    except _motifsig.Failure as failure:
        raise _error(InputError, failure) from None
    return 0.0 if value > 0 else value
