#include "io/report_html.h"

#include <cstdio>

#include "io/markup.h"
#include "io/number_format.h"
#include "io/reports.h"
#include "io/sequence_logo_svg.h"

#ifndef MOTIFSIG_VERSION
#define MOTIFSIG_VERSION "unknown"
#endif

namespace {

const char kStyle[] = R"(<style>
body { font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
       color: #222; margin: 24px auto; max-width: 1200px; padding: 0 16px; }
h1 { font-size: 22px; margin: 0 0 12px; }
h2 { font-size: 17px; margin: 28px 0 8px; border-bottom: 1px solid #ddd; padding-bottom: 4px; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 3px 10px 3px 0; vertical-align: top; }
table.summary th { font-weight: 600; color: #555; white-space: nowrap; }
table.motifs th { border-bottom: 2px solid #ccc; position: sticky; top: 0; background: #fff; }
table.motifs td { border-bottom: 1px solid #eee; font-variant-numeric: tabular-nums; }
table.motifs td.num { text-align: right; padding-right: 18px; }
code, .mono { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace; font-size: 13px; }
.background span { display: inline-block; margin-right: 12px; white-space: nowrap; }
.logos { display: flex; flex-wrap: wrap; gap: 16px; }
.motif { border: 1px solid #ddd; border-radius: 6px; padding: 8px 10px; max-width: 100%; box-sizing: border-box; }
.motif h3 { font-size: 15px; margin: 0 0 2px; }
.motif h3 .alt { color: #666; font-weight: normal; }
.motif p { margin: 0 0 4px; color: #444; font-size: 13px; }
.scroll { overflow-x: auto; }
svg.glyphs { position: absolute; }
svg.logo { display: block; }
svg.logo .axis path { stroke: #888; fill: none; }
svg.logo .axis text { font: 10px sans-serif; fill: #555; }
svg.logo .axis text.label { font-size: 11px; fill: #333; }
svg.logo text.pos { font: 9px sans-serif; fill: #555; }
svg.logo .hit { fill: #000; fill-opacity: 0; }
svg.logo .col:hover .hit { fill-opacity: 0.06; }
svg.logo .bar { fill: #6c7a89; }
.note { color: #555; font-size: 13px; }
</style>
)";

void row(std::string &out, const char *heading, const std::string &html) {
  out += "<tr><th>";
  out += heading;
  out += "</th><td>" + html + "</td></tr>\n";
}

std::string number_text(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

void append_summary(std::string &out, const RunOptions &options, const Dataset &dataset) {
  out += "<h2>Run</h2>\n<table class=\"summary\">\n";
  row(out, "Sequences",
      "<code>" + escaped(options.sequences) + "</code>: " + std::to_string(dataset.nseqs) +
          " sequences, total length " + std::to_string(total_length(dataset)));
  row(out, "Motifs", "<code>" + escaped(options.motifs) + "</code>");
  row(out, "Sites", "<code>" + escaped(options.sites) + "</code>");
  row(out, "Output", "<code>" + escaped(options.output) + "</code>");
  row(out, "Alphabet",
      "<span class=\"mono\">" +
          escaped(std::string_view(dataset.alphabet, static_cast<size_t>(dataset.alength))) +
          "</span> (" + std::to_string(dataset.alength) + " letters)");
  std::string background = "<div class=\"background mono\">";
  for (int j = 0; j < dataset.alength; ++j) {
    background += "<span>";
    append_escaped(background, std::string_view(&dataset.alphabet[j], 1));
    background += ' ';
    append_general(background, dataset.background[j]);
    background += "</span>";
  }
  row(out, "Background", background + "</div>");
  std::string model = options.strands == 2 ? "both strands" : "one strand";
  if (options.palindromic) model += ", palindromic motifs";
  model += options.site_model == Pooled ? ", sites anywhere" : ", at most one site per sequence";
  model += options.background_path.empty()
               ? ", background from the motif file"
               : ", background from " + escaped(options.background_path);
  row(out, "Model", model);
  row(out, "Column p-values", pvalue_method_description(options.pvalues));
  row(out, "Command", "<code>" + escaped(options.command_line) + "</code>");
  row(out, "Tool", std::string("motifsig ") + MOTIFSIG_VERSION);
  out += "</table>\n";
}

std::string motif_name(const Model &model) {
  std::string name = escaped(model.id);
  if (!model.alt.empty()) name += " <span class=\"alt\">" + escaped(model.alt) + "</span>";
  return name;
}

void append_motif_table(std::string &out, const std::vector<Model> &models) {
  out +=
      "<h2>Motifs</h2>\n<table class=\"motifs\">\n<thead><tr><th>#</th><th>Name</th><th>Width</th>"
      "<th>Sites</th><th>E-value</th><th>Information (bits)</th><th>LLR "
      "(nats)</th></tr></thead>\n<tbody>\n";
  for (size_t k = 0; k < models.size(); ++k) {
    const Model &model = models[k];
    const std::string number = std::to_string(k + 1);
    out += "<tr><td class=\"num\"><a href=\"#motif-" + number + "\">" + number + "</a></td><td>" +
           motif_name(model) + "</td><td class=\"num\">" + std::to_string(model.w) +
           "</td><td class=\"num\">" + std::to_string(model.nsites) + "</td><td class=\"num\">" +
           evalue_text(model.log_evalue) + "</td><td class=\"num\">" +
           number_text(model.info_content) + "</td><td class=\"num\">" + number_text(model.llr) +
           "</td></tr>\n";
  }
  out += "</tbody>\n</table>\n";
}

}  // namespace

std::string format_html_report(const RunOptions &options, const std::vector<Model> &models,
                               const Dataset &dataset) {
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
      "<title>motifsig report: ";
  append_escaped(out, options.motifs);
  out += "</title>\n";
  out += kStyle;
  out += "</head>\n<body>\n";
  out += logo_glyph_defs(dataset);
  out += "<h1>motifsig report</h1>\n";
  append_summary(out, options, dataset);
  append_motif_table(out, models);
  out +=
      "<h2>Logos</h2>\n<p class=\"note\">Each letter is as tall as its probability times the "
      "column's relative entropy against the background, in bits; the tallest letter is on top. "
      "The bar under a column is &#8722;log<sub>10</sub>&#160;of the p-value of the column's "
      "log-likelihood ratio. "
      "Hover over a column for its exact numbers.</p>\n<div class=\"logos\">\n";
  const double max_bits = logo_max_bits(models, dataset);
  for (size_t k = 0; k < models.size(); ++k) {
    const Model &model = models[k];
    const std::string number = std::to_string(k + 1);
    // A name that only repeats the number, as in a file this tool wrote, is not shown twice.
    const std::string name =
        model.id == number && model.alt.empty() ? "" : " &#183; " + motif_name(model);
    out += "<section class=\"motif\" id=\"motif-" + number + "\">\n<h3>Motif " + number + name +
           "</h3>\n<p>E-value " + evalue_text(model.log_evalue) + " &#183; " +
           std::to_string(model.nsites) + " sites &#183; width " + std::to_string(model.w) +
           " &#183; " + number_text(model.info_content) + " bits &#183; LLR " +
           number_text(model.llr) + " nats</p>\n<div class=\"scroll\">";
    out += sequence_logo_svg(model, dataset, max_bits, k + 1);
    out += "</div>\n</section>\n";
  }
  out += "</div>\n</body>\n</html>\n";
  return out;
}
