// What the statistics keep during one run: the column LLR distributions, built once per number
// of sites, and the sorted sequence lengths. Each run has its own, so runs in one process, one
// after another or on several threads, never see each other's distributions.
#pragma once

#include <map>
#include <vector>

// The cached distributions for one number of sites N. Arrays are indexed by width 1 .. maxw.
struct DISTR {
  int maxw;      // widest distribution built; 0 = none yet
  double alpha;  // grid steps per nat, shared by all widths
  int *range;    // range[w]: highest grid index of the w-column distribution
  int *offset;   // offset[w]: integer score of grid index 0
  double **d;    // d[w][i]: log probability of grid index i for w columns
  double **cdf;  // cdf[w][i]: log probability of grid index i or above
  double mean;   // expected one-column LLR, nats
};

// A one-column distribution built ahead by prepare_llr_distrs, until get_llr_pv takes it over.
struct PreparedDistr {
  std::vector<double> background;  // what the build started from
  int alength = 0, desired_range = 0;
  double frac = 0;
  double *d = nullptr;
  double alpha = 0;
  int offset = 0, range = 0;
};

struct StatsCache {
  DISTR *distrs = nullptr;  // indexed directly by the number of sites, 0 .. ndistrs
  int ndistrs = -1;
  std::map<int, PreparedDistr> prepared;  // by number of sites
  int *len = nullptr;  // sequence lengths, longest first; nullptr until first needed
  // The plain kernel builds each distribution when it is first asked for, one at a time: the
  // baseline of the benchmarks. The results are the same bits.
  bool plain_kernel = false;

  StatsCache() = default;
  ~StatsCache();  // releases everything, as freestuff does
  StatsCache(const StatsCache &) = delete;
  StatsCache &operator=(const StatsCache &) = delete;
};
