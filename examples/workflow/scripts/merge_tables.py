"""Merges the per-dataset motif tables into one, sorted by E-value, and writes a summary.

Run by the workflow's merge rule: snakemake.input holds one motif table per dataset, in the
order of snakemake.params.datasets.
"""
import csv
import math

SIGNIFICANT = 0.05


def log10_evalue(row):
    """The sort key: log10 of the E-value; a value that is not a number sorts last."""
    try:
        value = float(row["log10_evalue"])
    except ValueError:
        return math.inf
    return math.inf if math.isnan(value) else value


rows = []
header = None
for dataset, path in zip(snakemake.params.datasets, snakemake.input):
    with open(path, newline="") as table:
        reader = csv.DictReader(table, delimiter="\t")
        header = header or reader.fieldnames
        rows += [{"dataset": dataset, **row} for row in reader]

rows.sort(key=log10_evalue)  # stable: ties keep dataset and motif order
with open(snakemake.output.table, "w", newline="") as out:
    writer = csv.DictWriter(out, ["dataset"] + (header or []), delimiter="\t", lineterminator="\n")
    writer.writeheader()
    writer.writerows(rows)

significant = sum(1 for row in rows if log10_evalue(row) < math.log10(SIGNIFICANT))
with open(snakemake.output.summary, "w") as out:
    out.write("datasets\tmotifs\tmotifs_with_evalue_below_0.05\n")
    out.write(f"{len(snakemake.params.datasets)}\t{len(rows)}\t{significant}\n")
