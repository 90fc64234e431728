#include "report/report_tsv.h"

#include "io/number_format.h"
#include "report/report_values.h"

std::string format_tsv_report(const std::vector<motifsig::MotifResult> &motifs) {
  std::string out =
      "motif\tid\talt\twidth\tnsites\tllr\trel_entropy\tinfo_content_uniform\tlog10_"
      "evalue\tevalue\n";
  for (size_t k = 0; k < motifs.size(); ++k) {
    const motifsig::MotifResult &motif = motifs[k];
    // Names are tokens of the motif file, or names the library checked: no TAB, CR or LF.
    out += std::to_string(k + 1) + '\t' + motif.id + '\t' + motif.alt + '\t';
    out += std::to_string(motif.width) + '\t' + std::to_string(motif.nsites) + '\t';
    append_exact(out, motif.llr);
    out += '\t';
    append_exact(out, motif_rel_entropy(motif));
    out += '\t';
    append_exact(out, motif.info_content);
    out += '\t';
    append_exact(out, motif.log10_evalue);
    out += '\t' + motif.evalue_text + '\n';
  }
  return out;
}
