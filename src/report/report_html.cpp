#include "report/report_html.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "io/number_format.h"
#include "report/markup.h"
#include "report/report_values.h"
#include "report/sequence_logo_svg.h"

#ifndef MOTIFSIG_VERSION
#define MOTIFSIG_VERSION "unknown"
#endif
#ifndef MOTIFSIG_DOCDIR
#define MOTIFSIG_DOCDIR "/usr/local/share/doc/motifsig"
#endif

namespace {

// The installed document on the two methods of column p-values, which the page's notes link.
const char kPvaluesDoc[] = "file://" MOTIFSIG_DOCDIR "/docs/pvalues.md";

// On a narrow screen a logo shrinks to the width of its box, down to a least width that keeps
// its columns readable (set on each logo), and then scrolls. A word of the command line breaks
// only when it is wider than the line, never at its hyphens.
// A box that scrolls sideways shows a shadow at each edge that has more beyond it: the white
// covers scroll with the content and hide a shadow once its edge is reached.
const char kStyle[] = R"(<style>
body { font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
       color: #222; margin: 24px auto; max-width: 1200px; padding: 0 16px; }
h1 { font-size: 22px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 28px 0 8px; border-bottom: 1px solid #ddd; padding-bottom: 4px; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 3px 10px 3px 0; vertical-align: top; }
table.summary th { font-weight: 600; color: #555; white-space: nowrap; }
table.summary td { overflow-wrap: anywhere; }
table.motifs th { border-bottom: 2px solid #ccc; background: #fff; white-space: nowrap; }
table.motifs th.sortable { cursor: pointer; }
table.motifs th.sortable::after { content: " \2195"; color: #aaa; }
table.motifs th[aria-sort="ascending"]::after { content: " \2191"; color: #333; }
table.motifs th[aria-sort="descending"]::after { content: " \2193"; color: #333; }
table.motifs td { border-bottom: 1px solid #eee; font-variant-numeric: tabular-nums; }
table.motifs td.num { text-align: right; padding-right: 18px; white-space: nowrap; }
table.motifs tr.significant td { background: #f3f8ee; }
.mark { color: #2e7d32; font-weight: bold; }
.run { color: #444; margin: 0 0 8px; }
.nowrap { white-space: nowrap; }
code, .mono { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace; font-size: 13px; }
.background span { display: inline-block; margin-right: 12px; white-space: nowrap; }
.warnings { border: 1px solid #e0b252; background: #fff8e5; border-radius: 6px; padding: 6px 12px; margin: 12px 0; }
.warnings h2 { border: 0; margin: 0; padding: 0; font-size: 15px; }
.warnings ul { margin: 4px 0; padding-left: 20px; }
.warnings li { overflow-wrap: anywhere; }
.logos { display: flex; flex-wrap: wrap; gap: 16px; }
.motif { border: 1px solid #ddd; border-radius: 6px; padding: 8px 10px; max-width: 100%; min-width: 0; box-sizing: border-box; }
.motif.significant { border-color: #8bbf73; }
.motif h3 { font-size: 15px; margin: 0 0 2px; overflow-wrap: anywhere; }
.motif h3 .alt { color: #666; font-weight: normal; }
.motif p { margin: 0 0 4px; color: #444; font-size: 13px; }
.motif p.save { margin: 2px 0 0; }
.scroll { overflow-x: auto; max-width: 100%;
  background: linear-gradient(to right, #fff 40%, rgba(255,255,255,0)) left / 28px 100% no-repeat local,
    linear-gradient(to left, #fff 40%, rgba(255,255,255,0)) right / 28px 100% no-repeat local,
    radial-gradient(farthest-side at 0 50%, rgba(0,0,0,.35), rgba(0,0,0,0)) left / 14px 100% no-repeat scroll,
    radial-gradient(farthest-side at 100% 50%, rgba(0,0,0,.35), rgba(0,0,0,0)) right / 14px 100% no-repeat scroll; }
svg.glyphs { position: absolute; }
svg.logo { display: block; }
@media (max-width: 600px) { svg.logo { max-width: 100%; height: auto; } }
.command span { display: inline-block; max-width: 100%; overflow-wrap: anywhere; }
svg.logo .col:hover .hit { fill: #000; fill-opacity: 0.06; }
.note { color: #555; font-size: 13px; }
</style>
)";

// Sorts the motif table by the heading clicked (again: the other way round). A cell sorts by its
// data-sort number when it has one, otherwise by its text. Without scripts the table stays in
// motif order and the page is complete.
const char kScript[] = R"(<script>
document.querySelectorAll("table.motifs").forEach(function (table) {
  var heads = table.tHead.rows[0].cells, body = table.tBodies[0];
  function key(row, col) {
    var cell = row.cells[col], value = cell.getAttribute("data-sort");
    return value === null ? cell.textContent : value === "" ? NaN : parseFloat(value);
  }
  function sort(col) {
    var up = heads[col].getAttribute("aria-sort") !== "ascending";
    Array.prototype.forEach.call(heads, function (h) { h.setAttribute("aria-sort", "none"); });
    heads[col].setAttribute("aria-sort", up ? "ascending" : "descending");
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (a, b) {
      var x = key(a, col), y = key(b, col);
      if (typeof x === "string") return up ? x.localeCompare(y) : y.localeCompare(x);
      if (isNaN(x) || isNaN(y)) return isNaN(x) - isNaN(y);
      return up ? x - y : y - x;
    });
    rows.forEach(function (row) { body.appendChild(row); });
  }
  Array.prototype.forEach.call(heads, function (head, col) {
    head.className += " sortable";
    head.tabIndex = 0;
    head.setAttribute("aria-sort", "none");
    head.title = "sort by this column";
    head.addEventListener("click", function () { sort(col); });
    head.addEventListener("keydown", function (e) {
      if (e.key === "Enter" || e.key === " ") { e.preventDefault(); sort(col); }
    });
  });
  document.querySelectorAll(".sort-hint").forEach(function (hint) { hint.hidden = false; });
});
</script>
)";

void row(std::string &out, const char *heading, const std::string &html) {
  out += "<tr><th>";
  out += heading;
  out += "</th><td>" + html + "</td></tr>\n";
}

// A number for the data-sort attribute: exact, and never "inf" or "nan", which would not read
// back as numbers ("" sorts last).
std::string sort_key(double value) {
  if (std::isnan(value)) return "";
  if (std::isinf(value)) return value > 0 ? "1e999" : "-1e999";
  std::string text;
  append_exact(text, value);
  return text;
}

using motifsig::MotifResult;

std::string search_model(const motifsig::RunDescription &run) {
  std::string model = run.model.strands == 2 ? "both strands" : "one strand";
  if (run.model.palindromic) model += ", palindromic motifs";
  model += run.model.sites == motifsig::SiteModel::anywhere ? ", sites anywhere"
                                                            : ", at most one site per sequence";
  if (run.background_given)
    model += ", background given";
  else if (run.background_file.empty())
    model += ", background from the motif file";
  else
    model += ", background from " + escaped(run.background_file);
  return model;
}

void append_header(std::string &out, const motifsig::Result &result) {
  const std::string date = run_date(result.run.started);
  out += "<h1>motifsig report</h1>\n<p class=\"run\">Run of <time datetime=\"" + date + "\">" +
         date.substr(0, 10) + " " + date.substr(11, 8) + " UTC</time> &#183; motifsig " +
         MOTIFSIG_VERSION + " &#183; " + search_model(result.run) + "</p>\n";
  const std::vector<motifsig::Warning> &warnings = result.warnings;
  if (warnings.empty()) return;
  out += "<section class=\"warnings\" id=\"warnings\">\n<h2>" + std::to_string(warnings.size()) +
         (warnings.size() == 1 ? " warning" : " warnings") + "</h2>\n<ul>\n";
  for (const motifsig::Warning &warning : warnings) {
    out += "<li><code>" + escaped(warning.file);
    if (warning.line > 0) out += ":" + std::to_string(warning.line);
    out += "</code>: " + escaped(warning.message) + "</li>\n";
  }
  out += "</ul>\n</section>\n";
}

void append_summary(std::string &out, const motifsig::Result &result,
                    const std::string &output_file, const std::string &command_line) {
  const motifsig::RunDescription &run = result.run;
  out += "<h2>Run</h2>\n<table class=\"summary\">\n";
  row(out, "Sequences",
      "<code>" + escaped(run.sequence_file) + "</code>: " + std::to_string(run.sequences) +
          " sequences, total length " + std::to_string(run.total_length));
  row(out, "Motifs", "<code>" + escaped(run.motif_file) + "</code>");
  row(out, "Sites", "<code>" + escaped(run.site_file) + "</code>");
  row(out, "Output", "<code>" + escaped(output_file) + "</code>");
  row(out, "Alphabet",
      "<span class=\"mono\">" + escaped(result.alphabet) + "</span> (" +
          std::to_string(result.alphabet.size()) + " letters)");
  std::string background = "<div class=\"background mono\">";
  for (size_t j = 0; j < result.alphabet.size(); ++j) {
    background += "<span>";
    append_escaped(background, std::string_view(&result.alphabet[j], 1));
    background += ' ';
    append_general(background, result.background[j]);
    background += "</span>";
  }
  row(out, "Background", background + "</div>");
  row(out, "Model", search_model(run));
  row(out, "Column p-values", pvalue_method_description(run.model.pvalues));
  std::string command;
  for (size_t start = 0; start <= command_line.size();) {
    const size_t end = std::min(command_line.find(' ', start), command_line.size());
    command += (start == 0 ? "<span>" : " <span>") +
               escaped(std::string_view(command_line).substr(start, end - start)) + "</span>";
    start = end + 1;
  }
  row(out, "Command", "<code class=\"command\">" + command + "</code>");
  row(out, "Tool", std::string("motifsig ") + MOTIFSIG_VERSION);
  out += "</table>\n";
}

std::string motif_name(const MotifResult &motif) {
  std::string name = escaped(motif.id);
  if (!motif.alt.empty()) name += " <span class=\"alt\">" + escaped(motif.alt) + "</span>";
  return name;
}

// The E-value to 4 digits, the motif file's text on hover, and the mark of a significant motif.
std::string evalue_cell(const MotifResult &motif) {
  return "<span class=\"nowrap\" title=\"E = " + motif.evalue_text + "\">" +
         rounded_from_log(motif.log_evalue) + "</span>" +
         (is_significant(motif) ? " <span class=\"mark\" title=\"E-value below " +
                                      rounded(kSignificantEvalue) + "\">&#10003;</span>"
                                : "");
}

void append_motif_table(std::string &out, const std::vector<MotifResult> &motifs) {
  out += "<h2>Motifs</h2>\n<p class=\"note\"><span class=\"mark\">&#10003;</span> E-value below " +
         rounded(kSignificantEvalue) +
         ". <span class=\"sort-hint\" hidden>Click a heading to sort.</span></p>\n"
         "<div class=\"scroll\"><table class=\"motifs\">\n<thead><tr><th>#</th><th>Name</th>"
         "<th>Width</th><th>Sites</th><th>E-value</th><th>Rel. entropy (bits)</th>"
         "<th>LLR (nats)</th></tr></thead>\n<tbody>\n";
  for (size_t k = 0; k < motifs.size(); ++k) {
    const MotifResult &motif = motifs[k];
    const std::string number = std::to_string(k + 1);
    const double information = motif_rel_entropy(motif);
    out += std::string("<tr id=\"row-") + number + "\"" +
           (is_significant(motif) ? " class=\"significant\"" : "") +
           "><td class=\"num\"><a href=\"#motif-" + number + "\">" + number + "</a></td><td>" +
           motif_name(motif) + "</td><td class=\"num\">" + std::to_string(motif.width) +
           "</td><td class=\"num\">" + std::to_string(motif.nsites) +
           "</td><td class=\"num\" data-sort=\"" + sort_key(motif.log_evalue) + "\">" +
           evalue_cell(motif) + "</td><td class=\"num\" data-sort=\"" + sort_key(information) +
           "\">" + rounded(information) + "</td><td class=\"num\" data-sort=\"" +
           sort_key(motif.llr) + "\">" + rounded(motif.llr) + "</td></tr>\n";
  }
  out += "</tbody>\n</table></div>\n";
}

void append_logo_note(std::string &out, const LogoScales &scales, motifsig::PvalueMethod method) {
  out +=
      "<h2>Logos</h2>\n<p class=\"note\">Each letter is as tall as its probability times the "
      "column's relative entropy against the background, in bits; the tallest letter is on top, "
      "and a column's stack is as tall as its relative entropy. Under each column, the bar and "
      "the number are &#8722;log<sub>10</sub>&#160;of the p-value of the column's "
      "log-likelihood ratio, on one scale for every logo of this page: 0 to " +
      rounded(scales.max_bar) + " here. The scale stops at " + rounded(kMaxBarScale) +
      ": a bar beyond it has a red notch on top. The dashed line marks p&#160;=&#160;" +
      rounded(kColumnPvalueLine) + "; bars that rise above it (p below " +
      rounded(kColumnPvalueLine) +
      ") are dark, the others light. Hover over a column for its numbers. The p-values come from "
      "the " +
      pvalue_method_name(method) + " method (see Column p-values above); <a href=\"" + kPvaluesDoc +
      "\">docs/pvalues.md</a>, in motifsig's documentation, explains both methods.</p>\n"
      "<div class=\"logos\">\n";
}

void append_logo_card(std::string &out, const MotifResult &motif, const std::string &alphabet,
                      const LogoScales &scales, size_t number_value) {
  const std::string number = std::to_string(number_value);
  // A name that only repeats the number, as in a file this tool wrote, is not shown twice.
  const std::string name =
      motif.id == number && motif.alt.empty() ? "" : " &#183; " + motif_name(motif);
  const bool significant = is_significant(motif);
  out += std::string("<section class=\"motif") + (significant ? " significant" : "") +
         "\" id=\"motif-" + number + "\">\n<h3>Motif " + number + name +
         (significant ? " <span class=\"mark\">&#10003;</span>" : "") +
         "</h3>\n<p><span class=\"nowrap\">E-value " + rounded_from_log(motif.log_evalue) +
         "</span> &#183; <span class=\"nowrap\">" + std::to_string(motif.nsites) +
         " sites</span> &#183; <span class=\"nowrap\">width " + std::to_string(motif.width) +
         "</span> &#183; <span class=\"nowrap\">" + rounded(motif_rel_entropy(motif)) +
         " bits</span> &#183; <span class=\"nowrap\">LLR " + rounded(motif.llr) +
         " nats</span></p>\n<div class=\"scroll\">";
  out += sequence_logo_svg(motif, alphabet, scales, number_value);
  out += "</div>\n<p class=\"save\"><a download=\"" +
         escaped(logo_file_name(number_value, motif.id)) + "\" href=\"" +
         data_uri("image/svg+xml", standalone_logo_svg(motif, alphabet, scales, number_value)) +
         "\">Save the logo as SVG</a></p>\n</section>\n";
}

}  // namespace

std::string format_html_report(const motifsig::Result &result, const std::string &output_file,
                               const std::string &command_line) {
  const std::vector<MotifResult> &motifs = result.motifs;
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
      "<title>motifsig report: ";
  append_escaped(out, result.run.motif_file);
  out += "</title>\n";
  out += kStyle;
  out += "</head>\n<body>\n";
  out += logo_glyph_defs(result.alphabet);
  append_header(out, result);
  append_summary(out, result, output_file, command_line);
  append_motif_table(out, motifs);
  const LogoScales scales = logo_scales(result);
  append_logo_note(out, scales, result.run.model.pvalues);
  for (size_t k = 0; k < motifs.size(); ++k)
    append_logo_card(out, motifs[k], result.alphabet, scales, k + 1);
  out += "</div>\n";
  out += kScript;
  out += "</body>\n</html>\n";
  return out;
}
