#include "io/output.h"

#include "io/number_format.h"

std::string format_motif_file(const motifsig::Result &result) {
  const std::string &alphabet = result.alphabet;
  std::string out = "VORL version 4\n\nALPHABET= ";
  // Every letter: a letter may be any byte but whitespace, a NUL included.
  out += alphabet;
  out += "\nBackground letter frequencies\n";
  for (size_t j = 0; j < alphabet.size(); ++j) {
    out += alphabet[j];
    out += ' ';
    append_general(out, result.background[j]);
    out += ' ';
  }
  out += "\n\n";
  for (size_t k = 0; k < result.motifs.size(); ++k) {
    const motifsig::MotifResult &motif = result.motifs[k];
    out += "MOTIF " + std::to_string(k + 1) + "\n";
    out += "letter-probability matrix: alength= " + std::to_string(alphabet.size());
    out += " w= " + std::to_string(motif.width);
    out += " nsites= " + std::to_string(motif.nsites);
    out += " E= " + motif.evalue_text + '\n';
    for (const std::vector<double> &row : motif.matrix) {
      for (const double p : row) {
        out += "  ";
        append_general(out, p);
      }
      out += '\n';
    }
    out += "\n\n";
  }
  return out;
}
