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
  const std::string accurate = run({"--pvalues", "accurate"}, "accurate");
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
}
