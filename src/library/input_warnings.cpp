#include "library/input_warnings.h"

#include <algorithm>
#include <cmath>
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

double lattice_drift_log10(const Model &motif, const Dataset &dataset) {
  if (motif.w == 0 || motif.nsites < 2 || dataset.alength < 2) return 0;
  double sum = 0, least = INFINITY;
  for (int a = 0; a < dataset.alength; ++a) {
    sum += dataset.background[a];
    least = std::min(least, dataset.background[a]);
  }
  if (!(least > 0) || !(sum > 0)) return 0;
  const double step = motif.nsites * std::log(sum / least) / kLatticeSteps;
  // Between the fits for 4 and 20 letters by ln A, and beyond them along the same line.
  const double t = (std::log(dataset.alength) - std::log(4.0)) / (std::log(20.0) - std::log(4.0));
  const double scale = std::max(0.05, kDrift4.scale + t * (kDrift20.scale - kDrift4.scale));
  const double power = kDrift4.power + t * (kDrift20.power - kDrift4.power);
  return motif.w * scale * std::pow(step, power);
}

void warn_of_coarse_lattice(const motifsig::SearchModel &model, const std::string &site_file,
                            const std::vector<Model> &models, const Dataset &dataset,
                            Warnings &warnings) {
  if (model.pvalues != motifsig::PvalueMethod::lattice) return;
  std::vector<size_t> drifting;
  for (size_t k = 0; k < models.size(); ++k)
    if (lattice_drift_log10(models[k], dataset) >= 1) drifting.push_back(k + 1);
  if (drifting.empty()) return;
  std::string numbers;
  for (size_t i = 0; i < drifting.size() && i < 5; ++i)
    numbers += (i > 0 ? ", " : "") + std::to_string(drifting[i]);
  if (drifting.size() > 5) numbers += ", ...";
  warnings.add(site_file.c_str(), 0,
               "%zu motif%s (%s) ha%s enough sites that the lattice's column p-values likely put "
               "%s E-value%s 10-fold or more off; --pvalues accurate computes the p-values %s",
               drifting.size(), drifting.size() == 1 ? "" : "s", numbers.c_str(),
               drifting.size() == 1 ? "s" : "ve", drifting.size() == 1 ? "its" : "their",
               drifting.size() == 1 ? "" : "s", kAccurateWithin);
}

void warn_of_unchecked_pvalues(const std::string &site_file,
                               const std::vector<UncheckedColumn> &unchecked, Warnings &warnings) {
  for (const UncheckedColumn &column : unchecked)
    warnings.add(site_file.c_str(), 0,
                 "motif %zu column %d: its accurate p-value could not be confirmed %s (its "
                 "readings disagree and it is beyond exact enumeration)",
                 column.motif + 1, column.column + 1, kAccurateWithin);
}
