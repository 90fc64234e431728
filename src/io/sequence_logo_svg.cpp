#include "io/sequence_logo_svg.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "io/logo_glyphs.h"
#include "io/markup.h"
#include "io/number_format.h"
#include "io/reports.h"
#include "stats/log_constants.h"

namespace {

// Geometry in pixels: columns, the margins around the logo, the logo's height, the band of
// position numbers and the band of p-value bars under it.
constexpr double kLeft = 54, kRight = 10, kTop = 10, kLogo = 140;
constexpr double kNumbers = 18, kBars = 44, kBottom = 6;

void appendf(std::string &out, const char *format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string &out, const char *format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  out += text;
}

enum class AlphabetKind { Nucleotide, Protein, Other };

AlphabetKind alphabet_kind(const Dataset &dataset) {
  std::string letters;
  for (int j = 0; j < dataset.alength; ++j)
    letters += static_cast<char>(std::toupper(static_cast<unsigned char>(dataset.alphabet[j])));
  std::string sorted = letters;
  std::sort(sorted.begin(), sorted.end());
  if (sorted == "ACGT" || sorted == "ACGU") return AlphabetKind::Nucleotide;
  if (dataset.alength > 4 &&
      letters.find_first_not_of("ACDEFGHIKLMNPQRSTVWYBJOUXZ*-") == std::string::npos)
    return AlphabetKind::Protein;
  return AlphabetKind::Other;
}

// Amino acids by chemical class: acidic red, basic blue, amides purple, polar green,
// hydrophobic near-black.
const char *amino_acid_colour(char letter) {
  if (std::strchr("DE", letter)) return "#d62839";
  if (std::strchr("KRH", letter)) return "#255c99";
  if (std::strchr("NQ", letter)) return "#8e44ad";
  if (std::strchr("STYCG", letter)) return "#109648";
  if (std::strchr("AVLIMFWP", letter)) return "#2b2b2b";
  return "#8a8a8a";
}

const char *nucleotide_colour(char letter) {
  switch (letter) {
    case 'A':
      return "#109648";
    case 'C':
      return "#255c99";
    case 'G':
      return "#f39c12";
    default:
      return "#d62839";  // T or U
  }
}

// Narrow motifs get wide columns, wide ones stay on a screen: 40 pixels down to 22.
double column_width(int w) { return w > 0 ? std::floor(std::clamp(480.0 / w, 22.0, 40.0)) : 40.0; }

// Ticks at whole multiples of a step that gives at most eight of them.
double tick_step(double top) {
  for (double step : {0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0})
    if (top / step <= 8) return step;
  return std::ceil(top / 8);
}

// The smallest of 1, 2, 5, 10, 20, ... x 10^k that is at least `value` (and at least 1).
double nice_ceiling(double value) {
  if (!(value > 1)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= value) return m * power;
  return 10 * power;
}

// A letter of letter index j, `height` pixels tall, its top left corner at (x, y).
void append_letter(std::string &out, const Dataset &dataset, int j, double x, double y,
                   double width, double height) {
  const char letter = dataset.alphabet[j];
  if (glyph_outline(letter) != nullptr) {
    appendf(out,
            "<use href=\"#glyph-%c\" class=\"l%d\" transform=\"translate(%.5g %.5g)scale(%.4g "
            "%.4g)\"/>",
            letter, j, x, y, width / 100, height / 100);
    return;
  }
  // Any other byte: a scaled text glyph, whose cap height is about 0.72 of the font size.
  appendf(
      out,
      "<text class=\"l%d\" transform=\"translate(%.5g %.5g)scale(%.4g %.4g)\" font-size=\"100\" "
      "font-family=\"monospace\" font-weight=\"bold\" textLength=\"60\" "
      "lengthAdjust=\"spacingAndGlyphs\">",
      j, x, y + height, width / 60, height / 72);
  append_escaped(out, std::string_view(&letter, 1));
  out += "</text>";
}

// The hover text of column i: its statistics and every letter's probability, largest first,
// each number to the last digit the run holds.
std::string column_title(const Model &model, const Dataset &dataset, int i,
                         const std::vector<int> &order) {
  std::string title = "Position " + std::to_string(i + 1) + "\nrelative entropy ";
  append_exact(title, model.col_rel_entropy[i]);
  title += " bits\nLLR ";
  append_exact(title, model.col_llr[i]);
  title += " nats\np-value ";
  append_evalue(title, model.col_log_pvalue[i]);
  title += ", -log10 p = ";
  append_exact(title, -model.col_log_pvalue[i] / LN_10);
  for (size_t k = 0; k < order.size(); ++k) {
    title += k % 5 == 0 ? "\n" : "   ";
    title += dataset.alphabet[order[k]];
    title += ' ';
    append_exact(title, model.matrix[i][order[k]]);
  }
  return escaped(title);
}

}  // namespace

std::string letter_colour(const Dataset &dataset, int j) {
  const char letter =
      static_cast<char>(std::toupper(static_cast<unsigned char>(dataset.alphabet[j])));
  switch (alphabet_kind(dataset)) {
    case AlphabetKind::Nucleotide:
      return nucleotide_colour(letter);
    case AlphabetKind::Protein:
      return amino_acid_colour(letter);
    case AlphabetKind::Other:
      break;
  }
  static const char *const kPalette[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                         "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};
  return kPalette[j % 10];
}

double logo_max_bits(const std::vector<Model> &models, const Dataset &dataset) {
  double top = std::log(static_cast<double>(std::max(dataset.alength, 2))) / LN_2;
  for (const Model &model : models)
    for (int i = 0; i < model.w; ++i)
      if (std::isfinite(model.col_rel_entropy[i])) top = std::max(top, model.col_rel_entropy[i]);
  return std::ceil(top - 1e-9);
}

std::string logo_glyph_defs(const Dataset &dataset) {
  std::string out = "<svg class=\"glyphs\" width=\"0\" height=\"0\" aria-hidden=\"true\"><style>";
  for (int j = 0; j < dataset.alength; ++j)
    appendf(out, ".l%d{fill:%s}", j, letter_colour(dataset, j).c_str());
  out += "</style><defs>";
  bool defined[26] = {};
  for (int j = 0; j < dataset.alength; ++j) {
    const char letter = dataset.alphabet[j];
    const char *outline = glyph_outline(letter);
    if (outline == nullptr || defined[letter - 'A']) continue;
    defined[letter - 'A'] = true;
    appendf(out, "<path id=\"glyph-%c\" d=\"%s\"/>", letter, outline);
  }
  return out + "</defs></svg>\n";
}

std::string sequence_logo_svg(const Model &model, const Dataset &dataset, double max_bits,
                              size_t number) {
  const int A = dataset.alength;
  const double column = column_width(model.w);
  const double width = kLeft + model.w * column + kRight;
  const double logo_bottom = kTop + kLogo;
  const double bars_top = logo_bottom + kNumbers, bars_bottom = bars_top + kBars;
  const double height = bars_bottom + kBottom;
  const double px_per_bit = kLogo / max_bits;

  double max_bar = 0;
  for (int i = 0; i < model.w; ++i)
    if (std::isfinite(model.col_log_pvalue[i]))
      max_bar = std::max(max_bar, -model.col_log_pvalue[i] / LN_10);
  const double bar_top_value = nice_ceiling(max_bar);

  std::string out;
  appendf(out,
          "<svg class=\"logo\" id=\"logo-%zu\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f "
          "%.0f\" "
          "role=\"img\" aria-label=\"sequence logo of motif %zu\">",
          number, width, height, width, height, number);

  // Bit axis with its ticks, and the -log10 p axis of the bars.
  out += "<g class=\"axis\">";
  appendf(out, "<path d=\"M%.1f %.1fV%.1f\"/>", kLeft - 6, kTop, logo_bottom);
  const double step = tick_step(max_bits);
  for (double bits = 0; bits <= max_bits + 1e-9; bits += step) {
    const double y = logo_bottom - bits * px_per_bit;
    appendf(out,
            "<path d=\"M%.1f %.1fh-4\"/><text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\" "
            "dy=\"0.35em\">%g</text>",
            kLeft - 6, y, kLeft - 12, y, bits);
  }
  appendf(out,
          "<text class=\"label\" transform=\"translate(14 %.1f) rotate(-90)\" "
          "text-anchor=\"middle\">bits</text>",
          kTop + kLogo / 2);
  appendf(out, "<path d=\"M%.1f %.1fV%.1f\"/>", kLeft - 6, bars_top, bars_bottom);
  appendf(out, "<path d=\"M%.1f %.1fh-4M%.1f %.1fh-4\"/>", kLeft - 6, bars_top, kLeft - 6,
          bars_bottom);
  appendf(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\" dy=\"0.35em\">%g</text>",
          kLeft - 12, bars_top, bar_top_value);
  appendf(out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\" dy=\"0.35em\">0</text>", kLeft - 12,
          bars_bottom);
  appendf(
      out,
      "<text class=\"label\" transform=\"translate(14 %.1f) rotate(-90)\" text-anchor=\"middle\">"
      "-log10 p</text>",
      (bars_top + bars_bottom) / 2);
  appendf(out, "<path d=\"M%.1f %.1fH%.1fM%.1f %.1fH%.1f\"/>", kLeft - 2, logo_bottom,
          kLeft + model.w * column, kLeft - 2, bars_bottom, kLeft + model.w * column);
  out += "</g>";

  std::vector<int> order(static_cast<size_t>(A));
  for (int i = 0; i < model.w; ++i) {
    const double x = kLeft + i * column;
    const double entropy = model.col_rel_entropy[i];
    // Letters from the shortest up, so the tallest stands on top; ties keep alphabet order.
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return model.matrix[i][a] < model.matrix[i][b]; });
    out += "<g class=\"col\"><title>";
    out += column_title(model, dataset, i, std::vector<int>(order.rbegin(), order.rend()));
    appendf(out,
            "</title><rect class=\"hit\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"/>", x,
            kTop, column, bars_bottom - kTop);
    double y = logo_bottom;
    if (entropy > 0 && std::isfinite(entropy)) {
      for (int j : order) {
        const double h = model.matrix[i][j] * entropy * px_per_bit;
        if (!(h > 0)) continue;
        y -= h;
        if (h >= 0.5) append_letter(out, dataset, j, x + 1, y, column - 2, h);
      }
    }
    appendf(out, "<text class=\"pos\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%d</text>",
            x + column / 2, logo_bottom + 13, i + 1);
    const double bar = -model.col_log_pvalue[i] / LN_10;
    const double bar_height =
        std::isfinite(bar) ? std::min(bar / bar_top_value, 1.0) * kBars : kBars;
    if (bar_height > 0)
      appendf(out, "<rect class=\"bar\" x=\"%.1f\" y=\"%.2f\" width=\"%.1f\" height=\"%.2f\"/>",
              x + 4, bars_bottom - bar_height, column - 8, bar_height);
    out += "</g>";
  }
  return out + "</svg>";
}
