# The compiled half of the package (bindings.cpp), as motifsig/__init__.py uses it.
from enum import Enum

__version__: str

class Failure(Exception):
    exit_status: int
    file: str | None
    line: int | None
    error_number: int

class SiteModel(Enum):
    per_sequence = ...
    anywhere = ...

class PvalueMethod(Enum):
    lattice = ...
    accurate = ...

class SearchModel:
    strands: int
    palindromic: bool
    sites: SiteModel
    pvalues: PvalueMethod

class MotifMatrix:
    def __init__(self, rows: list[list[float]], id: str = "", alt: str = "") -> None: ...

class Inputs:
    sequences_path: bytes
    fasta: bool
    sequence_lengths: list[int]
    motifs_path: bytes
    alphabet: str
    background: list[float]
    motifs: list[MotifMatrix]
    sites_path: bytes
    site_counts: list[int]
    site_counts_by_number: dict[int, int] | None
    background_path: bytes
    background_override: list[float]

class Warning:
    file: str
    line: int
    message: str
    text: str

class ColumnResult:
    rel_entropy: float
    llr: float
    log_pvalue: float
    log10_pvalue: float

class MotifResult:
    number: int
    id: str
    alt: str
    width: int
    nsites: int
    llr: float
    log_evalue: float
    log10_evalue: float
    evalue_text: str
    columns: list[ColumnResult]
    matrix: list[list[float]]

class Result:
    alphabet: str
    motifs: list[MotifResult]
    warnings: list[Warning]
    def motif_file_text(self) -> str: ...
    def tsv_text(self) -> str: ...
    def json_text(self, command_line: str = "") -> str: ...
    def html_text(self, command_line: str = "") -> str: ...
    def logo_svg(self, motif_number: int) -> str: ...
    def write(self, motif_file: bytes, tsv: bytes, json: bytes, html: bytes, logos_dir: bytes,
              command_line: str) -> None: ...

def check_settings(model: SearchModel, threads: int) -> None: ...
def analyse(inputs: Inputs, model: SearchModel, threads: int) -> Result: ...
def column_log_pvalue(counts: list[int], background: list[float],
                      method: PvalueMethod) -> float: ...
