#include "report/sequence_logo_svg.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "io/number_format.h"
#include "report/logo_glyphs.h"
#include "report/markup.h"
#include "report/report_values.h"
#include "stats/log_constants.h"

using motifsig::ColumnResult;
using motifsig::MotifResult;

namespace {

// Geometry in pixels: the margins around the logo, the logo's height, the band of position
// numbers, the band of p-value bars and the band of their values under it.
constexpr double kLeft = 54, kRight = 10, kTop = 10, kLogo = 140;
constexpr double kNumbers = 18, kBars = 56, kValues = 13, kBottom = 4;
constexpr char kAxisColour[] = "#888";
constexpr char kBarColour[] = "#3f5f8a";      // a column with p below the reference line
constexpr char kWeakBarColour[] = "#a9b4c2";  // any other column
constexpr char kLineColour[] = "#c0392b";     // the reference line and the mark of a capped bar

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

AlphabetKind alphabet_kind(const std::string &alphabet) {
  std::string letters;
  for (const char letter : alphabet)
    letters += static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  std::string sorted = letters;
  std::sort(sorted.begin(), sorted.end());
  if (sorted == "ACGT" || sorted == "ACGU") return AlphabetKind::Nucleotide;
  if (alphabet.size() > 4 &&
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

// Ticks at whole multiples of a step that gives at most `count` of them above 0.
double tick_step(double top, double count) {
  for (double step : {0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0})
    if (top / step <= count) return step;
  return std::ceil(top / count);
}

// The smallest of 2, 5, 10, 20, 50, ... that is at least `value`.
double nice_ceiling(double value) {
  if (!(value > 2)) return 2;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= value) return m * power;
  return 10 * power;
}

// The shapes of the capital letters of the alphabet, each once.
std::string glyph_paths(const std::string &alphabet) {
  std::string out;
  bool defined[26] = {};
  for (const char letter : alphabet) {
    const char *outline = glyph_outline(letter);
    if (outline == nullptr || defined[letter - 'A']) continue;
    defined[letter - 'A'] = true;
    out += std::string("<path id=\"glyph-") + letter + "\" d=\"" + outline + "\"/>";
  }
  return out;
}

// A letter of letter index j, `height` pixels tall, its top left corner at (x, y). `link` is
// the attribute that refers to a shape: "href" on a page, "xlink:href" in a file of its own,
// which older drawing programs read.
void append_letter(std::string &out, const std::string &alphabet, int j, double x, double y,
                   double width, double height, const char *link) {
  const char letter = alphabet[static_cast<size_t>(j)];
  const std::string colour = letter_colour(alphabet, j);
  if (glyph_outline(letter) != nullptr) {
    appendf(out,
            "<use %s=\"#glyph-%c\" fill=\"%s\" transform=\"translate(%.5g %.5g)scale(%.4g "
            "%.4g)\"/>",
            link, letter, colour.c_str(), x, y, width / 100, height / 100);
    return;
  }
  // Any other byte: a scaled text glyph, whose cap height is about 0.72 of the font size.
  appendf(out,
          "<text fill=\"%s\" transform=\"translate(%.5g %.5g)scale(%.4g %.4g)\" font-size=\"100\" "
          "font-family=\"monospace\" font-weight=\"bold\" textLength=\"60\" "
          "lengthAdjust=\"spacingAndGlyphs\">",
          colour.c_str(), x, y + height, width / 60, height / 72);
  append_escaped(out, std::string_view(&letter, 1));
  out += "</text>";
}

// -log10 of column i's p-value, never below 0.
double bar_value(const ColumnResult &column) {
  const double value = -column_log10_pvalue(column);
  return value > 0 ? value : 0;
}

// The hover text of column i: its statistics and every letter's probability, largest first,
// to 4 significant digits (the JSON report has every digit).
std::string column_title(const MotifResult &motif, const std::string &alphabet, size_t i,
                         const std::vector<int> &order) {
  const ColumnResult &column = motif.columns[i];
  const double log_pvalue = std::min(column.log_pvalue, 0.0);
  std::string title = "Position " + std::to_string(i + 1) + "\nrelative entropy " +
                      rounded(column.rel_entropy) + " bits\nLLR " + rounded(column.llr) +
                      " nats\np-value " + rounded_from_log(log_pvalue) +
                      ", -log10 p = " + rounded(bar_value(column));
  for (size_t k = 0; k < order.size(); ++k) {
    title += k % 5 == 0 ? "\n" : "   ";
    title += alphabet[static_cast<size_t>(order[k])];
    title += ' ' + rounded(motif.matrix[i][static_cast<size_t>(order[k])]);
  }
  return escaped(title);
}

// The value under a bar: one decimal below 10, whole numbers above.
std::string bar_label(double value) {
  char text[32];
  std::snprintf(text, sizeof text, value < 9.95 ? "%.1f" : "%.0f", value);
  return text;
}

void append_axes(std::string &out, int width, const LogoScales &scales, double column) {
  const double logo_bottom = kTop + kLogo;
  const double bars_top = logo_bottom + kNumbers, bars_bottom = bars_top + kBars;
  const double right = kLeft + width * column;
  appendf(out, "<g class=\"axis\" fill=\"none\" stroke=\"%s\">", kAxisColour);
  appendf(out, "<path d=\"M%.1f %.1fV%.1f\"/>", kLeft - 6, kTop, logo_bottom);
  const double bit_step = tick_step(scales.max_bits, 8);
  for (double bits = 0; bits <= scales.max_bits + 1e-9; bits += bit_step)
    appendf(out, "<path d=\"M%.1f %.1fh-4\"/>", kLeft - 6,
            logo_bottom - bits / scales.max_bits * kLogo);
  appendf(out, "<path d=\"M%.1f %.1fV%.1f\"/>", kLeft - 6, bars_top, bars_bottom);
  const double bar_step = tick_step(scales.max_bar, 2);
  for (double value = 0; value <= scales.max_bar + 1e-9; value += bar_step)
    appendf(out, "<path d=\"M%.1f %.1fh-4\"/>", kLeft - 6,
            bars_bottom - value / scales.max_bar * kBars);
  appendf(out, "<path d=\"M%.1f %.1fH%.1fM%.1f %.1fH%.1f\"/>", kLeft - 2, logo_bottom, right,
          kLeft - 2, bars_bottom, right);
  const double line = bars_bottom + std::log10(kColumnPvalueLine) / scales.max_bar * kBars;
  appendf(out,
          "<path d=\"M%.1f %.2fH%.1f\" stroke=\"%s\" stroke-dasharray=\"4 3\"><title>p = "
          "%g</title></path>",
          kLeft - 2, line, right, kLineColour, kColumnPvalueLine);
  out += "</g><g class=\"axis\" font-size=\"10\" fill=\"#555\" text-anchor=\"end\">";
  for (double bits = 0; bits <= scales.max_bits + 1e-9; bits += bit_step)
    appendf(out, "<text x=\"%.1f\" y=\"%.1f\" dy=\"0.35em\">%g</text>", kLeft - 12,
            logo_bottom - bits / scales.max_bits * kLogo, bits);
  for (double value = 0; value <= scales.max_bar + 1e-9; value += bar_step)
    appendf(out, "<text x=\"%.1f\" y=\"%.1f\" dy=\"0.35em\">%g</text>", kLeft - 12,
            bars_bottom - value / scales.max_bar * kBars, value);
  appendf(out,
          "<text transform=\"translate(14 %.1f) rotate(-90)\" text-anchor=\"middle\" "
          "font-size=\"11\" fill=\"#333\">bits</text>",
          kTop + kLogo / 2);
  appendf(out,
          "<text transform=\"translate(14 %.1f) rotate(-90)\" text-anchor=\"middle\" "
          "font-size=\"11\" fill=\"#333\">-log10 p</text>",
          (bars_top + bars_bottom) / 2);
  out += "</g>";
}

std::string logo_svg(const MotifResult &motif, const std::string &alphabet,
                     const LogoScales &scales, size_t number, bool standalone) {
  const int A = static_cast<int>(alphabet.size());
  const int w = motif.width;
  const double column = column_width(w);
  const double width = kLeft + w * column + kRight;
  const double logo_bottom = kTop + kLogo;
  const double bars_top = logo_bottom + kNumbers, bars_bottom = bars_top + kBars;
  const double height = bars_bottom + kValues + kBottom;
  const double px_per_bit = kLogo / scales.max_bits;

  // A file of its own is drawn by converters too, some of which fill what has no fill and no
  // stroke black, show a missing background black, and drop what a clip path holds: it has a
  // white background, no stroke unless one is given, no invisible hover boxes, and clips its
  // letters only when some are text, whose heights are approximate.
  bool text_letters = false;
  for (const char letter : alphabet) text_letters = text_letters || !glyph_outline(letter);
  const bool clip = !standalone || text_letters;
  std::string out;
  if (standalone)
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\" stroke=\"none\" ";
  else  // shrinks on a narrow screen, to 14 pixels a column at the least
    appendf(out, "<svg class=\"logo\" id=\"logo-%zu\" style=\"min-width:%.0fpx\" ", number,
            std::min(width, kLeft + w * 14 + kRight));
  appendf(out,
          "width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" "
          "role=\"img\" aria-label=\"sequence logo of motif %zu\">",
          width, height, width, height, number);
  if (standalone) {
    const std::string id = motif.id == std::to_string(number) ? "" : motif.id;
    out += "<title>Sequence logo of motif " + std::to_string(number) +
           (id.empty() ? "" : " (" + escaped(id) + ")") + "</title><defs>" + glyph_paths(alphabet);
  } else {
    out += "<defs>";
  }
  // Letters stay inside the logo's box whatever their shapes, text glyphs included.
  if (clip)
    appendf(out,
            "<clipPath id=\"clip-%zu\"><rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" "
            "height=\"%.1f\"/></clipPath>",
            number, kLeft, kTop, w * column, kLogo);
  out += "</defs>";
  if (standalone)
    appendf(out, "<rect width=\"%.0f\" height=\"%.0f\" fill=\"#fff\"/>", width, height);
  append_axes(out, w, scales, column);

  std::vector<int> order(static_cast<size_t>(A));
  for (int i = 0; i < w; ++i) {
    const double x = kLeft + i * column;
    const std::vector<double> &row = motif.matrix[static_cast<size_t>(i)];
    const double entropy = motif.columns[static_cast<size_t>(i)].rel_entropy;
    // Letters from the shortest up, so the tallest stands on top; ties keep alphabet order.
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return row[a] < row[b]; });
    out += "<g class=\"col\"><title>";
    out += column_title(motif, alphabet, static_cast<size_t>(i),
                        std::vector<int>(order.rbegin(), order.rend()));
    out += "</title>";
    if (!standalone)
      appendf(out,
              "<rect class=\"hit\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" "
              "fill-opacity=\"0\"/>",
              x, kTop, column, bars_bottom + kValues - kTop);
    if (clip)
      appendf(out, "<g clip-path=\"url(#clip-%zu)\">", number);
    else
      out += "<g>";
    double y = logo_bottom;
    if (entropy > 0 && std::isfinite(entropy)) {
      for (int j : order) {
        const double h = row[static_cast<size_t>(j)] * entropy * px_per_bit;
        if (!(h > 0)) continue;
        y -= h;
        if (h >= 0.5)
          append_letter(out, alphabet, j, x + 1, y, column - 2, h,
                        standalone ? "xlink:href" : "href");
      }
    }
    appendf(out,
            "</g><text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" font-size=\"9\" "
            "fill=\"#555\">%d</text>",
            x + column / 2, logo_bottom + 13, i + 1);
    const double value = bar_value(motif.columns[static_cast<size_t>(i)]);
    const bool capped = value > scales.max_bar;
    const double bar_height = std::min(value / scales.max_bar, 1.0) * kBars;
    const bool strong = value > -std::log10(kColumnPvalueLine);
    if (bar_height > 0)
      appendf(out, "<rect x=\"%.1f\" y=\"%.2f\" width=\"%.1f\" height=\"%.2f\" fill=\"%s\"/>",
              x + 4, bars_bottom - bar_height, column - 8, bar_height,
              strong ? kBarColour : kWeakBarColour);
    if (capped)  // a notch on top: the bar would go on
      appendf(out, "<path d=\"M%.1f %.1fh%.1fl%.1f -5Z\" fill=\"%s\"/>", x + 4, bars_top + 5,
              column - 8, -(column - 8) / 2, kLineColour);
    // The value, where its digits fit the column (at about 5.5 pixels each).
    const std::string label = bar_label(value);
    if (label.size() * 5.5 <= column - 2)
      appendf(out,
              "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" font-size=\"9\" "
              "fill=\"%s\">%s</text>",
              x + column / 2, bars_bottom + 10, capped ? kLineColour : "#333", label.c_str());
    out += "</g>";
  }
  return out + "</svg>" + (standalone ? "\n" : "");
}

}  // namespace

std::string letter_colour(const std::string &alphabet, int j) {
  const char letter =
      static_cast<char>(std::toupper(static_cast<unsigned char>(alphabet[static_cast<size_t>(j)])));
  switch (alphabet_kind(alphabet)) {
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

LogoScales logo_scales(const motifsig::Result &result) {
  const int alength = static_cast<int>(result.alphabet.size());
  double top = std::log(static_cast<double>(std::max(alength, 2))) / LN_2;
  double bar = 0;
  for (const MotifResult &motif : result.motifs)
    for (const ColumnResult &column : motif.columns) {
      if (std::isfinite(column.rel_entropy)) top = std::max(top, column.rel_entropy);
      if (std::isfinite(bar_value(column))) bar = std::max(bar, bar_value(column));
    }
  return {std::ceil(top - 1e-9), std::min(nice_ceiling(bar), kMaxBarScale)};
}

std::string logo_glyph_defs(const std::string &alphabet) {
  return "<svg class=\"glyphs\" width=\"0\" height=\"0\" aria-hidden=\"true\"><defs>" +
         glyph_paths(alphabet) + "</defs></svg>\n";
}

std::string sequence_logo_svg(const MotifResult &motif, const std::string &alphabet,
                              const LogoScales &scales, size_t number) {
  return logo_svg(motif, alphabet, scales, number, false);
}

std::string standalone_logo_svg(const MotifResult &motif, const std::string &alphabet,
                                const LogoScales &scales, size_t number) {
  return logo_svg(motif, alphabet, scales, number, true);
}
