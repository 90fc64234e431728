"""Merges the per-dataset motif tables into one, sorted by E-value, writes a summary, and writes
an index page that links every dataset's HTML report with its best motif and E-value.

Run by the workflow's merge rule: snakemake.input.tables holds one motif table per dataset, in
the order of snakemake.params.datasets, and snakemake.params.options the search options each
dataset was run with.
"""
import csv
import html
import math
import urllib.parse

SIGNIFICANT = 0.05


def log10_evalue(row):
    """The sort key: log10 of the E-value; a value that is not a number sorts last."""
    try:
        value = float(row["log10_evalue"])
    except ValueError:
        return math.inf
    return math.inf if math.isnan(value) else value


tables = {}
header = None
for dataset, path in zip(snakemake.params.datasets, snakemake.input.tables):
    with open(path, newline="") as table:
        reader = csv.DictReader(table, delimiter="\t")
        header = header or reader.fieldnames
        tables[dataset] = [{"dataset": dataset, **row} for row in reader]

rows = sorted((row for table in tables.values() for row in table), key=log10_evalue)  # stable
with open(snakemake.output.table, "w", newline="") as out:
    writer = csv.DictWriter(out, ["dataset"] + (header or []), delimiter="\t", lineterminator="\n")
    writer.writeheader()
    writer.writerows(rows)

significant = sum(1 for row in rows if log10_evalue(row) < math.log10(SIGNIFICANT))
with open(snakemake.output.summary, "w") as out:
    out.write("datasets\tmotifs\tmotifs_with_evalue_below_0.05\n")
    out.write(f"{len(snakemake.params.datasets)}\t{len(rows)}\t{significant}\n")


def index_row(dataset, options):
    table = tables[dataset]
    best = min(table, key=log10_evalue, default=None)
    # A name may hold characters with a meaning in a URL ('#', '?', '%'): the link quotes them.
    report = urllib.parse.quote(dataset, safe="") + "/report.html"
    cells = [f'<a href="{html.escape(report)}">{html.escape(dataset)}</a>',
             f"<code>{html.escape(options)}</code>" if options else "defaults",
             str(len(table))]
    if best is None:
        cells += ["", ""]
    else:
        name = best["motif"] + (f" ({best['id']})" if best["id"] not in ("", best["motif"]) else "")
        mark = " &#10003;" if log10_evalue(best) < math.log10(SIGNIFICANT) else ""
        cells += [html.escape(name), f'<span class="nowrap">{html.escape(best["evalue"])}</span>{mark}']
    return "<tr>" + "".join(f"<td>{cell}</td>" for cell in cells) + "</tr>\n"


with open(snakemake.output.index, "w") as out:
    out.write(
        '<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8"/>\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1"/>\n'
        "<title>motifsig: every dataset</title>\n<style>\n"
        "body { font: 14px/1.45 system-ui, sans-serif; color: #222; margin: 24px auto;"
        " max-width: 1000px; padding: 0 16px; }\n"
        ".scroll { overflow-x: auto; }\ntable { border-collapse: collapse; }\n"
        "th, td { text-align: left; padding: 3px 14px 3px 0; border-bottom: 1px solid #eee; }\n"
        ".nowrap { white-space: nowrap; }\n</style>\n</head>\n<body>\n"
        "<h1>motifsig: every dataset</h1>\n"
        f"<p>{len(tables)} datasets, {len(rows)} motifs, {significant} with an E-value below"
        f" {SIGNIFICANT} (&#10003;). All motifs: <a href=\"all_motifs.tsv\">all_motifs.tsv</a>."
        "</p>\n<div class=\"scroll\"><table>\n<thead><tr><th>Dataset</th><th>Search options</th>"
        "<th>Motifs</th><th>Best motif</th><th>E-value</th></tr></thead>\n<tbody>\n")
    for dataset, options in zip(snakemake.params.datasets, snakemake.params.options):
        out.write(index_row(dataset, options))
    out.write("</tbody>\n</table></div>\n</body>\n</html>\n")
