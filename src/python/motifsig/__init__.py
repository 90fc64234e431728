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

import html as _html
import math
import operator
import os
import uuid
import warnings as _warnings
from collections.abc import Iterable, Mapping, Sequence
from dataclasses import dataclass, field
from typing import TYPE_CHECKING, Any, Union

from . import _motifsig

if TYPE_CHECKING:
    import pandas

__all__ = [
    "analyse", "column_pvalue", "Motifs", "Result", "Motif", "Column", "RunWarning", "Error",
    "InputError", "OutputError", "MotifsigWarning",
]
__version__: str = _motifsig.__version__

Path = Union[str, "os.PathLike[str]"]  # a file name, as str or pathlib.Path
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

    def __reduce__(self) -> tuple[Any, ...]:  # keeps the attributes across processes
        return (type(self), (self.message,), self.__dict__)


class InputError(Error, ValueError):
    """An input that cannot be analysed: a bad file, or bad data given in memory."""


class OutputError(Error, OSError):
    """A file that `Result.write` could not write; none of its files was written then.

    As an OSError, `filename` is the file (as `file`) and `errno` and `strerror` say why, when
    a system call failed (None otherwise, as for two outputs that are one file).
    """

    def __init__(self, message: str, *, file: str | None = None, line: int | None = None,
                 exit_status: int = 1, errno: int | None = None) -> None:
        super().__init__(message, file=file, line=line, exit_status=exit_status)
        self.errno = errno  # type: ignore[assignment]  # None, as OSError has it without one
        self.strerror = os.strerror(errno) if errno else None  # type: ignore[assignment]
        self.filename = file

    def __str__(self) -> str:  # the tool's message, not OSError's "[Errno N] ..."
        return self.message


class MotifsigWarning(UserWarning):
    """Valid input that is probably a mistake (the tool's "motifsig: warning: ...")."""


def _error(cls: type[Error], failure: Any) -> Error:
    if cls is OutputError:
        return OutputError(str(failure), file=failure.file, line=failure.line,
                           exit_status=failure.exit_status, errno=failure.error_number or None)
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


@dataclass(frozen=True, repr=False)
class Motif:
    """One motif's statistics: its `number` (1, 2, ... in the order of the motifs), `id` and
    `alt` (from its "MOTIF id alt" line; empty when absent), `width`, `nsites` (its number of
    sites), `llr` in nats, `log_evalue` (natural log; inf when its sites cannot all be placed),
    `log10_evalue`, `evalue_text` (exactly as the motif file writes it, as "3.70728e-26"),
    `columns`, `alphabet` (the letters of the matrix's columns) and `rows` (the
    letter-probability matrix, one tuple per position); `evalue`, `rel_entropy` and `matrix`
    are computed from them. An E-value can be too small for a float: sort by `log10_evalue`,
    show `evalue_text`."""

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
    alphabet: str
    rows: tuple[tuple[float, ...], ...]
    _result: Any = field(compare=False)  # the run, which draws the logo

    @property
    def evalue(self) -> float:
        """The E-value as a float: 10 ** log10_evalue, 0.0 below the smallest float and inf
        above the largest (evalue_text and log10_evalue keep every digit)."""
        try:
            return float(10.0 ** self.log10_evalue)
        except OverflowError:
            return math.inf

    @property
    def rel_entropy(self) -> float:
        """Relative entropy against the run's background in bits: the columns' sum."""
        return sum(column.rel_entropy for column in self.columns)

    @property
    def matrix(self) -> "pandas.DataFrame":
        """The letter-probability matrix as a pandas DataFrame: one row per position (indexed
        from 1), one column per letter, the values as the motif file or the data gave them."""
        pandas = _pandas("Motif.matrix")
        table = pandas.DataFrame(list(self.rows), columns=list(self.alphabet),
                                 index=pandas.RangeIndex(1, self.width + 1, name="position"))
        table.columns.name = "letter"
        return table

    def __repr__(self) -> str:
        name = " ".join(part for part in (self.id, self.alt) if part)
        return (f"<motifsig.Motif {self.number}{f' {name!r}' if name else ''}: width "
                f"{self.width}, {self.nsites} sites, E-value {self.evalue_text}>")

    def _repr_html_(self) -> str:
        return _motif_table([self], self._result, [])


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
        if not alphabet.isascii():
            letter = next(c for c in alphabet if not c.isascii())
            raise InputError(f"alphabet: letters must be single bytes (ASCII characters), and "
                             f"{letter!r} is not")
        self.alphabet = alphabet
        self.background = _numbers(background, "background")
        self.matrices = [_matrix(matrix, k + 1) for k, matrix in enumerate(matrices)]
        self.ids = _names(ids, "ids", len(self.matrices))
        self.alts = _names(alts, "alts", len(self.matrices))

    def __len__(self) -> int:
        return len(self.matrices)

    def __repr__(self) -> str:
        return f"motifsig.Motifs({self.alphabet!r}, {len(self)} motifs)"


def _number(value: Any, what: str) -> float:
    # True converts to 1.0, but is never meant as a frequency; "0.29" as written in a file is.
    if isinstance(value, bool):
        raise TypeError(f"{what}: expected a number, not {value!r}")
    try:
        return float(value)
    except (TypeError, ValueError):
        raise TypeError(f"{what}: expected a number, not {value!r}") from None


def _numbers(values: Any, what: str) -> list[float]:
    if isinstance(values, (str, bytes)) or not isinstance(values, Iterable):
        raise TypeError(f"{what}: expected a list of numbers, not {values!r}")
    return [_number(value, f"{what}[{i}]") for i, value in enumerate(values)]


def _matrix(matrix: Matrix, number: int) -> list[list[float]]:
    if isinstance(matrix, (str, bytes)) or not isinstance(matrix, Iterable):
        raise TypeError(f"motif {number}: expected a matrix, a list of rows of numbers")
    return [_numbers(row, f"motif {number}, row {i + 1}") for i, row in enumerate(matrix)]


def _names(names: Sequence[str] | None, what: str, count: int) -> list[str]:
    if names is None:
        return [""] * count
    if isinstance(names, (str, bytes)):
        raise TypeError(f"{what}: expected a list of names, one per matrix, not {names!r}")
    for i, name in enumerate(names):
        if not isinstance(name, str):
            raise TypeError(f"{what}[{i}]: expected a string, not {name!r}")
    if len(names) != count:
        raise ValueError(f"{what}: {len(names)} names for {count} matrices")
    return list(names)


def _pandas(what: str) -> Any:
    try:
        import pandas
    except ImportError:
        raise ImportError(f"{what} needs pandas, which is not installed "
                          "(apt-get install python3-pandas, or pip install pandas)") from None
    return pandas


def _motif_table(motifs: Sequence[Motif], raw: Any, warnings: Sequence[RunWarning]) -> str:
    """An HTML table of the motifs with their logos, for a notebook."""
    # A notebook shows many results on one page: each logo's clip path gets a name of its
    # own, or a logo would be cut to the box of another result's logo of the same number.
    unique = f"clip-{uuid.uuid4().hex[:12]}-"
    rows = []
    for m in motifs:
        name = " ".join(part for part in (m.id, m.alt) if part)
        logo = raw.logo_svg(m.number).replace('id="clip-', f'id="{unique}')
        rows.append(
            f"<tr><td>{m.number}</td><td>{_html.escape(name)}</td><td>{m.width}</td>"
            f"<td>{m.nsites}</td><td style='white-space:nowrap'>"
            f"{_html.escape(m.evalue_text)}</td><td>{m.rel_entropy:.4g}</td>"
            f"<td>{m.llr:.4g}</td><td style='text-align:left'>"
            f"{logo.replace('url(#clip-', f'url(#{unique}')}</td></tr>")
    notes = "".join(f"<li>{_html.escape(w.text)}</li>" for w in warnings)
    return ("<div><table><thead><tr><th>Motif</th><th>Name</th><th>Width</th><th>Sites</th>"
            "<th>E-value</th><th>Rel. entropy (bits)</th><th>LLR (nats)</th><th>Logo</th>"
            f"</tr></thead><tbody>{''.join(rows)}</tbody></table>"
            + (f"<p>Warnings:</p><ul>{notes}</ul>" if notes else "") + "</div>")


class Result:
    """The statistics of one analysis: `motifs` in their order and the run's `warnings`.

    `to_pandas`, `to_json` and `write` give them as a table, as the tool's JSON document and as
    the tool's files; in Jupyter a result shows as a table with each motif's logo."""

    def __init__(self, raw: Any) -> None:
        self._raw = raw
        self.alphabet: str = raw.alphabet
        self.motifs: list[Motif] = [
            Motif(m.number, m.id, m.alt, m.width, m.nsites, m.llr, m.log_evalue, m.log10_evalue,
                  m.evalue_text,
                  tuple(Column(c.rel_entropy, c.llr, c.log_pvalue, c.log10_pvalue)
                        for c in m.columns),
                  self.alphabet, tuple(tuple(row) for row in m.matrix), raw)
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
        pandas = _pandas("Result.to_pandas")
        names = ["number", "id", "alt", "width", "nsites", "llr", "rel_entropy", "log_evalue",
                 "log10_evalue", "evalue_text"]
        return pandas.DataFrame([[getattr(m, name) for name in names] for m in self.motifs],
                                columns=names)

    def to_json(self, command_line: str = "") -> str:
        """The JSON document the tool writes with --json (docs/reports.md describes it)."""
        return str(self._raw.json_text(command_line))

    def write(self, output: Path | None, *, tsv: Path | None = None, json: Path | None = None,
              html: Path | None = None, logos: Path | None = None,
              command_line: str = "") -> None:
        """Writes the motif file `output` and the reports asked for, as the tool does.

        `tsv`, `json` and `html` are the reports of --tsv, --json and --html, `logos` a
        directory for one SVG logo per motif; None writes no such file. Either every file is
        written or none is: each goes to a temporary file first, renamed into place only when
        all are complete. `command_line` is shown in the JSON and HTML reports.

        Raises OutputError when a file cannot be written, or when two of the paths are one
        file (exit_status 2). A signal that ends the process meanwhile (SIGTERM, SIGHUP) removes
        the temporary files first; Ctrl-C raises KeyboardInterrupt once the files are written.
        """
        if not isinstance(command_line, str):
            raise TypeError(f"command_line: expected a string, not {command_line!r}")
        paths = [_path(path, name) for path, name in
                 ((output, "output"), (tsv, "tsv"), (json, "json"), (html, "html"),
                  (logos, "logos"))]
        try:
            self._raw.write(*paths, command_line)
        except _motifsig.Failure as failure:
            raise _error(OutputError, failure) from None

    def _repr_html_(self) -> str:
        return _motif_table(self.motifs, self._raw, self.warnings)


def _is_path(value: Any) -> bool:
    return isinstance(value, (str, os.PathLike))


def _path(value: Path | None, what: str) -> bytes:
    if value is not None and not _is_path(value):
        raise TypeError(f"{what}: expected a path (str or os.PathLike), not {value!r}")
    path = b"" if value is None else os.fsencode(value)
    if value is not None and not path:
        raise ValueError(f"{what}: expected a file name, not ''")  # as from an unset variable
    return path


def _whole(value: Any, what: str, expected: str = "a whole number") -> int:
    if isinstance(value, bool):
        raise TypeError(f"{what}: expected {expected}, not {value!r}")
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{what}: expected {expected}, not {value!r}") from None


def _fixed(value: Any, what: str, bits: int, expected: str = "a whole number") -> int:
    """A whole number that the library's integers of `bits` bits hold."""
    number = _whole(value, what, expected)
    if not -(2 ** (bits - 1)) <= number < 2 ** (bits - 1):
        raise ValueError(f"{what}: {number} is out of range")
    return number


def _count(value: Any, what: str) -> int:
    """A whole number for the library, which takes 64 bits: one beyond them is as far out of
    range for the library's own message (too many sites, too long a sequence)."""
    return min(max(_whole(value, what), -2**63), 2**63 - 1)


def _flag(value: Any, what: str) -> bool:
    if isinstance(value, bool) or type(value).__name__ == "bool_":  # numpy's too
        return bool(value)
    raise TypeError(f"{what}: expected True or False, not {value!r}")


def _choice(value: Any, what: str, choices: Mapping[str, Any]) -> Any:
    if not isinstance(value, str) or value not in choices:
        expected = " or ".join(repr(name) for name in choices)
        raise ValueError(f"{what}: expected {expected}, not {value!r}")
    return choices[value]


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
            lengths.append(_count(sequence, f"sequences[{i}]"))
    inputs.sequence_lengths = lengths


def _motifs(inputs: Any, motifs: Any) -> None:
    if _is_path(motifs):
        inputs.motifs_path = _path(motifs, "motifs")
        return
    if isinstance(motifs, Mapping):
        motifs = Motifs(**motifs)
    if not isinstance(motifs, Motifs):
        raise TypeError("motifs: expected a path, a motifsig.Motifs or a dict with the keys "
                        f"alphabet, background and matrices, not {type(motifs).__name__}")
    inputs.alphabet = motifs.alphabet
    inputs.background = motifs.background
    inputs.motifs = [_motifsig.MotifMatrix(rows, id, alt)
                     for rows, id, alt in zip(motifs.matrices, motifs.ids, motifs.alts)]


def _sites(inputs: Any, sites: Any) -> None:
    if _is_path(sites):
        inputs.sites_path = _path(sites, "motif_sites")
    elif isinstance(sites, Mapping):  # the library gives the motifs not named no sites
        inputs.site_counts_by_number = {
            _fixed(number, "motif_sites: motif number", 64):
            _count(count, f"motif_sites[{number!r}]") for number, count in sites.items()}
    elif isinstance(sites, (str, bytes)) or not isinstance(sites, Iterable):
        raise TypeError("motif_sites: expected a path, a list of site counts or a dict "
                        f"{{motif number: count}}, not {sites!r}")
    else:
        inputs.site_counts = [_count(count, f"motif_sites[{i}]") for i, count in enumerate(sites)]


_SITE_MODELS = {"per-sequence": _motifsig.SiteModel.per_sequence,
                "anywhere": _motifsig.SiteModel.anywhere}
_PVALUE_METHODS = {"lattice": _motifsig.PvalueMethod.lattice,
                   "accurate": _motifsig.PvalueMethod.accurate}
Sequences = Union[Path, Iterable[str], Iterable[int]]
MotifsInput = Union[Path, Motifs, Mapping[str, Any]]
SitesInput = Union[Path, Sequence[int], Mapping[int, int]]


def analyse(sequences: Sequences, motifs: MotifsInput, motif_sites: SitesInput | None = None,
            *, strands: int = 1, palindromic: bool = False, sites: str = "per-sequence",
            background: Path | Sequence[float] | None = None, fasta: bool = False,
            pvalues: str = "lattice", threads: int | None = None,
            sites_model: str | None = None) -> Result:
    """Computes every motif's E-value and column p-values from its sites, as the tool does.

    The three inputs come in the order of the command line's, `motifsig SEQUENCES MOTIFS SITES`,
    and the keywords are its options, named as their long names: `motifsig a.fa m.txt s.tsv
    --strands 2 --sites anywhere` is `analyse("a.fa", "m.txt", "s.tsv", strands=2,
    sites="anywhere")`. Each input is a path (str or os.PathLike; plain or gzip-compressed)
    or the data itself:

    sequences    the sequence file, or the sequences as strings, or their lengths as integers
                 (only the number and lengths of the sequences matter).
    motifs       the motif file, or a motifsig.Motifs (or a dict of its arguments): the
                 alphabet, its background and one matrix per motif.
    motif_sites  the site file, or the number of sites of each motif as a list in the motifs'
                 order (one count per motif), or as a dict {motif number: count} (a motif
                 it does not name has none). Motif numbers, one per site (the site file's
                 first column), become such a dict with collections.Counter(numbers).

    The keywords describe the search the motifs were found with:

    strands      1 (the default) or 2: 2 counts every site position on both strands.
    palindromic  True (with strands=2) counts a position once for motifs that are their own
                 reverse complement.
    sites        "per-sequence" (the default: at most one site per sequence) or "anywhere"
                 (a sequence may hold several).
    background   a path to "LETTER FREQUENCY" lines, or one frequency per letter in alphabet
                 order: replaces the motifs' background.
    fasta        True reads the sequence file as FASTA records of any number of lines.
    pvalues      "lattice" (the default) or "accurate": the column p-values to within 0.01
                 in log10 (2%) of the exact tail, 0.02 for five or more letters, instead of
                 on a lattice of 200 steps.
    threads      the number of threads, 1 to 4096; None (the default) or 0: OMP_NUM_THREADS
                 when set, else every core.
    sites_model  the old name of `sites`; giving the site input as `sites=` is old too. Both
                 still work, with a DeprecationWarning, until the next release.

    Returns a Result. Raises InputError (a ValueError) with the tool's message, file and line
    when an input is bad, TypeError or ValueError naming the argument when an argument is not
    of a kind it takes, and KeyboardInterrupt at once on Ctrl-C. The run's warnings come as
    MotifsigWarning and in Result.warnings. Other Python threads run while the statistics are
    computed.
    """
    if motif_sites is None:
        # The keywords of the first release: sites= the site input, sites_model= the option.
        if sites in _SITE_MODELS or sites_model is None and sites == "per-sequence":
            raise TypeError("analyse() needs three inputs: the sequences, the motifs and the "
                            "motif sites (the site file, or the site counts)")
        _warnings.warn("analyse(): give the site input third, by position; sites= is now the "
                       "option --sites (sites_model= before)", DeprecationWarning, stacklevel=2)
        motif_sites, sites = sites, "per-sequence"
    if sites_model is not None:
        _warnings.warn("analyse(): sites_model= is now sites=, as the option --sites",
                       DeprecationWarning, stacklevel=2)
        sites = sites_model
    model = _motifsig.SearchModel()
    model.strands = _fixed(strands, "strands", 32, "1 or 2")
    model.palindromic = _flag(palindromic, "palindromic")
    model.sites = _choice(sites, "sites", _SITE_MODELS)
    model.pvalues = _choice(pvalues, "pvalues", _PVALUE_METHODS)
    threads = 0 if threads is None else _fixed(threads, "threads", 32)
    try:
        _motifsig.check_settings(model, threads)
    except _motifsig.Failure as failure:
        raise ValueError(str(failure)) from None

    inputs = _motifsig.Inputs()
    _sequences(inputs, sequences)
    inputs.fasta = _flag(fasta, "fasta")
    if background is None:
        pass
    elif isinstance(background, (str, os.PathLike)):
        inputs.background_path = _path(background, "background")
    else:
        inputs.background_override = _numbers(background, "background")
    _motifs(inputs, motifs)
    _sites(inputs, motif_sites)
    try:
        result = Result(_motifsig.analyse(inputs, model, threads))
    except _motifsig.Failure as failure:
        raise _error(InputError, failure) from None
    for warning in result.warnings:
        _warnings.warn(warning.text, MotifsigWarning, stacklevel=2)
    return result


def column_pvalue(counts: Sequence[int], background: Sequence[float], *,
                  pvalues: str = "lattice") -> float:
    """The natural log of the p-value of one alignment column's LLR.

    `counts` holds how often each letter occurs in the column, `background` the letters'
    frequencies (rescaled to sum 1); the p-value is that of the column's LLR under sum(counts)
    letters drawn from the background, as the tool computes it for a motif's column, but never
    above 0 (a p-value above 1 is a rounding of the tail table). pvalues="accurate" computes it
    to within 0.01 in log10 (2%), 0.02 for five or more letters.
    """
    method = _choice(pvalues, "pvalues", _PVALUE_METHODS)
    if isinstance(counts, (str, bytes)) or not isinstance(counts, Iterable):
        raise TypeError(f"counts: expected a list of whole numbers, not {counts!r}")
    whole = [_count(count, f"counts[{i}]") for i, count in enumerate(counts)]
    try:
        value = _motifsig.column_log_pvalue(whole, _numbers(background, "background"), method)
    except _motifsig.Failure as failure:
        raise _error(InputError, failure) from None
    return 0.0 if value > 0 else float(value)
