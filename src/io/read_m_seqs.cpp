#include "io/read_m_seqs.h"

#include <cstdint>
#include <limits>
#include <string_view>

#include "io/line_reader.h"
#include "io/tokens.h"
#include "process/diagnostics.h"

namespace {
// Nothing but blanks, tabs or carriage returns: the last line of a file with CRLF line ends,
// or trailing blanks an editor left.
bool is_blank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}
}  // namespace

void read_m_seqs(const char *path, std::vector<Model> &models, Warnings *warnings) {
  LineReader lines(path);
  std::string_view line;
  if (!lines.next(line)) return;  // the header, whatever it holds
  const int64_t nmotifs = static_cast<int64_t>(models.size());
  int64_t motif;
  std::string_view written;  // the number as the file gives it, however large
  // A file without its header would silently lose its first site.
  if (warnings != nullptr && parse_leading_int(line.substr(0, line.find('\t')), motif, written) &&
      motif >= 1 && motif <= nmotifs)
    warnings->add(path, 1,
                  "the first line is skipped as the header, but it reads as a site of motif "
                  "%lld; if it is one, add a header line before it",
                  static_cast<long long>(motif));
  while (lines.next(line)) {
    if (is_blank(line)) continue;
    std::string_view first_field = line.substr(0, line.find('\t'));
    if (!parse_leading_int(first_field, motif, written))
      file_error(path, lines.line_number(), "the site line does not begin with a motif number");
    const int shown = static_cast<int>(written.size());
    if (motif < 1 || motif > nmotifs) {
      if (nmotifs == 0)
        file_error(path, lines.line_number(),
                   "site of motif %.*s, but the motif file has no motifs", shown, written.data());
      file_error(path, lines.line_number(), "site of motif %.*s, but motifs are numbered 1 to %lld",
                 shown, written.data(), static_cast<long long>(nmotifs));
    }
    Model &model = models[static_cast<size_t>(motif - 1)];
    if (model.nsites == std::numeric_limits<int32_t>::max())
      file_error(path, lines.line_number(), "motif %lld has too many sites",
                 static_cast<long long>(motif));
    ++model.nsites;
  }
}
