#include "io/read_m_seqs.h"

#include <cstdint>
#include <limits>
#include <string_view>

#include "io/diagnostics.h"
#include "io/line_reader.h"
#include "io/tokens.h"

void read_m_seqs(const char *path, std::vector<Model> &models) {
  LineReader lines(path);
  std::string_view line;
  if (!lines.next(line)) return;  // the header, whatever it holds
  const int64_t nmotifs = static_cast<int64_t>(models.size());
  while (lines.next(line)) {
    if (line.empty()) continue;
    std::string_view first_field = line.substr(0, line.find('\t'));
    int64_t motif;
    if (!parse_leading_int(first_field, motif))
      file_error(path, lines.line_number(), "the site line does not begin with a motif number");
    if (motif < 1 || motif > nmotifs) {
      if (nmotifs == 0)
        file_error(path, lines.line_number(), "site of motif %lld, but the motif file has no motifs",
                   static_cast<long long>(motif));
      file_error(path, lines.line_number(), "site of motif %lld, but motifs are numbered 1 to %lld",
                 static_cast<long long>(motif), static_cast<long long>(nmotifs));
    }
    Model &model = models[static_cast<size_t>(motif - 1)];
    if (model.nsites == std::numeric_limits<int32_t>::max())
      file_error(path, lines.line_number(), "motif %lld has too many sites", static_cast<long long>(motif));
    ++model.nsites;
  }
}
