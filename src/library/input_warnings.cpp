#include "library/input_warnings.h"

#include <cstdint>
#include <string_view>

namespace {

// The complement of a nucleotide letter, ambiguity codes included; 0 for any other letter.
char complement(char letter) {
  static const char kPairs[] = "ATCGGCTAUAKMMKRYYRSSWWBVVBDHHDNN";
  const char upper =
      letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
  for (const char *pair = kPairs; *pair != '\0'; pair += 2)
    if (pair[0] == upper) return pair[1];
  return 0;
}

// Every letter is a nucleotide whose complement is also a letter (T or U for A).
bool has_reverse_complement(std::string_view alphabet) {
  auto has = [&](char letter) {
    for (char c : alphabet)
      if (c == letter || c == letter - 'A' + 'a') return true;
    return false;
  };
  for (char letter : alphabet) {
    const char other = complement(letter);
    if (other == 0) return false;
    if (!has(other) && !(other == 'T' && has('U'))) return false;
  }
  return true;
}

}  // namespace

void warn_of_strands(const motifsig::SearchModel &model, const std::string &motif_file,
                     const Dataset &dataset, Warnings &warnings) {
  const std::string_view alphabet(dataset.alphabet, static_cast<size_t>(dataset.alength));
  if (model.strands == 2 && !has_reverse_complement(alphabet))
    warnings.add(motif_file.c_str(), 0,
                 "--strands 2%s counts sites on a reverse strand, but the alphabet %s has no "
                 "reverse complement (only DNA and RNA letters have one)",
                 model.palindromic ? " --palindromic" : "", printable(alphabet).c_str());
}

void warn_of_unplaceable_sites(const std::string &site_file, const std::vector<Model> &models,
                               const Dataset &dataset, Warnings &warnings) {
  for (size_t k = 0; k < models.size(); ++k) {
    const Model &model = models[k];
    // As the alignment count places them: one site per sequence long enough, or any start
    // position of every sequence.
    int64_t places = 0;
    for (int i = 0; i < dataset.nseqs; ++i) {
      const int64_t length = dataset.seqs[i]->length;
      if (length >= model.w) places += model.mtype == Pooled ? length - model.w + 1 : 1;
    }
    if (model.nsites <= places) continue;
    if (model.mtype == Pooled)
      warnings.add(site_file.c_str(), 0,
                   "motif %zu has %d sites, but the sequences have only %lld start positions for "
                   "its width %d; its E-value is inf",
                   k + 1, model.nsites, static_cast<long long>(places), model.w);
    else
      warnings.add(site_file.c_str(), 0,
                   "motif %zu has %d sites, but only %lld sequences are %d or more letters long "
                   "to hold one each; its E-value is inf",
                   k + 1, model.nsites, static_cast<long long>(places), model.w);
  }
}
