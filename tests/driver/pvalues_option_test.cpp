// --pvalues: the lattice is the default, byte for byte; accurate changes only the E-values.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/temp_files.h"

TEST(PvaluesOption, LatticeIsTheDefaultAndAccurateChangesOnlyEvalues) {
  TempDir dir;
  const std::string ex = MOTIFSIG_EXAMPLES;
  auto run = [&](const std::vector<std::string> &extra, const std::string &out) {
    std::vector<std::string> args = extra;
    for (const char *f : {"/peaks.fa", "/motifs.txt", "/sites.tsv"}) args.push_back(ex + f);
    args.push_back(dir.path(out));
    EXPECT_EQ(run_tool(args).status, 0);
    return read_file(dir.path(out));
  };
  const std::string plain = run({}, "plain"), lattice = run({"--pvalues", "lattice"}, "lattice");
  const std::string accurate =
      run({"--pvalues", "accurate", "--html", dir.path("accurate.html")}, "accurate");
  EXPECT_EQ(plain, lattice);
  std::istringstream a(plain), b(accurate);
  std::string la, lb;
  int changed = 0;
  while (std::getline(a, la) && std::getline(b, lb)) {
    if (la == lb) continue;
    ++changed;
    EXPECT_EQ(la.substr(0, la.find(" E= ")), lb.substr(0, lb.find(" E= ")));
  }
  EXPECT_FALSE(std::getline(b, lb));
  EXPECT_GT(changed, 0);
  // The page says in plain words which method computed the p-values, which way that moves the
  // E-values, and where both methods are explained.
  const std::string html = read_file(dir.path("accurate.html"));
  for (const char *words :
       {"Accurate (--pvalues accurate): every column's p-value is computed to within 0.01 in log10 "
        "(2%) "
        "of the exact tail, 0.02 (5%) for five or more letters, so a motif with many sites "
        "usually gets a smaller, more significant E-value",
        "The p-values come from the accurate method", "/docs/pvalues.md\">docs/pvalues.md</a>",
        "bars that rise above it (p below 0.05) are dark, the others light"})
    EXPECT_NE(html.find(words), std::string::npos) << words;
}
