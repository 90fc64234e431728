#include "report/report_tsv.h"

#include "io/number_format.h"
#include "report/report_values.h"
#include "stats/log_constants.h"

std::string format_tsv_report(const std::vector<Model> &models) {
  std::string out =
      "motif\tid\talt\twidth\tnsites\tllr\trel_entropy\tinfo_content_uniform\tlog10_"
      "evalue\tevalue\n";
  for (size_t k = 0; k < models.size(); ++k) {
    const Model &model = models[k];
    // Names are tokens of the motif file, or names the library checked: no TAB, CR or LF.
    out += std::to_string(k + 1) + '\t' + model.id + '\t' + model.alt + '\t';
    out += std::to_string(model.w) + '\t' + std::to_string(model.nsites) + '\t';
    append_exact(out, model.llr);
    out += '\t';
    append_exact(out, motif_rel_entropy(model));
    out += '\t';
    append_exact(out, model.info_content);
    out += '\t';
    append_exact(out, model.log_evalue / LN_10);
    out += '\t' + evalue_text(model.log_evalue) + '\n';
  }
  return out;
}
