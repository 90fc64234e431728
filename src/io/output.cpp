#include "io/output.h"

#include "io/number_format.h"

std::string format_motif_file(const std::vector<Model> &models, const Dataset &dataset) {
  std::string out = "VORL version 4\n\nALPHABET= ";
  // alength bytes: a letter may be any byte but whitespace, a NUL included.
  out.append(dataset.alphabet, static_cast<size_t>(dataset.alength));
  out += "\nBackground letter frequencies\n";
  for (int j = 0; j < dataset.alength; ++j) {
    out += dataset.alphabet[j];
    out += ' ';
    append_general(out, dataset.background[j]);
    out += ' ';
  }
  out += "\n\n";
  for (size_t k = 0; k < models.size(); ++k) {
    const Model &model = models[k];
    out += "MOTIF " + std::to_string(k + 1) + "\n";
    out += "letter-probability matrix: alength= " + std::to_string(dataset.alength);
    out += " w= " + std::to_string(model.w);
    out += " nsites= " + std::to_string(model.nsites);
    out += " E= ";
    append_evalue(out, model.log_evalue);
    out += '\n';
    for (int i = 0; i < model.w; ++i) {
      for (int j = 0; j < dataset.alength; ++j) {
        out += "  ";
        append_general(out, model.matrix[i][j]);
      }
      out += '\n';
    }
    out += "\n\n";
  }
  return out;
}
