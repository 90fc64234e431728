#include "stats/llr_pvalue.h"

#include <cmath>
#include <cstdlib>

#include "stats/alignment_count.h"
#include "stats/llr_distr.h"
#include "stats/resize.h"
#include "stats/score_distr.h"

namespace {
DISTR *distrs = nullptr;  // indexed directly by the number of sites, 0 .. ndistrs
int ndistrs = -1;

// The kernel gives every letter at least 1e-200 before it rescales the background to sum 1.
// Beside frequencies beyond about 1e100 that floor vanishes: a letter's share falls below
// 1e-300 (to 0 when the sum overflows) and its scores become infinite. Such a background is
// divided by its largest frequency first, so the floor works as on any ordinary one; every
// other background is left untouched.
void keep_letter_floor(int alength, double *background) {
  double sum = 0, largest = 0;
  for (int a = 0; a < alength; ++a) {
    sum += 1e-200 + background[a];
    if (background[a] > largest) largest = background[a];
  }
  bool vanishes = false;
  for (int a = 0; a < alength; ++a) vanishes = vanishes || !((1e-200 + background[a]) / sum >= 1e-300);
  if (!vanishes || !(largest > 0)) return;
  for (int a = 0; a < alength; ++a) background[a] /= largest;
}

// Builds the missing widths maxw + 1 .. w of `rec`, each from the one narrower.
void widen(DISTR &rec, int w, int N, int desired_range, double frac, int alength,
           double *background) {
  Resize(rec.d, static_cast<long>(w) + 1, "distrs[N].d", "w+1", "double *");
  Resize(rec.cdf, static_cast<long>(w) + 1, "distrs[N].cdf", "w+1", "double *");
  Resize(rec.offset, static_cast<long>(w) + 1, "distrs[N].offset", "w+1", "int");
  Resize(rec.range, static_cast<long>(w) + 1, "distrs[N].range", "w+1", "int");
  if (rec.maxw == 0) {
    keep_letter_floor(alength, background);
    rec.d[1] = llr_distr(alength, background, N, desired_range, frac, &rec.alpha, &rec.offset[1],
                         &rec.range[1]);
    rec.mean = 0;
    for (int i = 0; i <= rec.range[1]; ++i)
      rec.mean += std::exp(rec.d[1][i]) * (rec.offset[1] + i) / rec.alpha;
    rec.cdf[1] = cdf(rec.d[1], rec.range[1]);
    rec.maxw = 1;
  }
  for (int i = rec.maxw + 1; i <= w; ++i) {
    rec.d[i] = sum_distr(rec.d[i - 1], rec.range[i - 1], rec.d[1], rec.range[1], &rec.range[i]);
    rec.offset[i] = rec.offset[i - 1] + rec.offset[1];
    rec.cdf[i] = cdf(rec.d[i], rec.range[i]);
  }
  rec.maxw = w;
}
}  // namespace

double get_llr_pv(double x, double n, int w, int desired_range, double frac, int alength,
                  double *background) {
  if (n <= 1.0) return 0.0;
  if (std::floor(n) != std::ceil(n)) {
    const double below = get_llr_pv(x, std::floor(n), w, desired_range, frac, alength, background);
    const double above = get_llr_pv(x, std::ceil(n), w, desired_range, frac, alength, background);
    return (std::ceil(n) - n) * below + (n - std::floor(n)) * above;
  }
  // One letter: every column has LLR 0 and no scale can be formed; every LLR is certain. The
  // background is still rescaled as the kernel would have rescaled it, so it reads 1.
  if (alength < 2) {
    if (alength == 1 && w > 0) background[0] = (1e-200 + background[0]) / (1e-200 + background[0]);
    return 0.0;
  }
  const int N = static_cast<int>(n);
  if (ndistrs < N) {
    Resize(distrs, static_cast<long>(N) + 1, "distrs", "N+1", "DISTR");
    for (int i = ndistrs + 1; i <= N; ++i) {
      distrs[i].maxw = 0;
      distrs[i].range = distrs[i].offset = nullptr;
      distrs[i].d = distrs[i].cdf = nullptr;
      distrs[i].mean = 0;
    }
    ndistrs = N;
  }
  if (w == 0) return 0.0;
  DISTR &rec = distrs[N];
  if (rec.maxw < w) widen(rec, w, N, desired_range, frac, alength, background);

  const double s = rec.alpha * x - rec.offset[w];
  if (s < 0) return rec.cdf[w][0];
  // Compared as a double first, so a score far off the grid never overflows the conversion.
  if (!(s < rec.range[w])) return rec.cdf[w][rec.range[w]];
  const int I = static_cast<int>(s);
  return rec.cdf[w][I] + (s - I) * (rec.cdf[w][I + 1] - rec.cdf[w][I]);
}

void freestuff() {
  free_length_cache();
  if (distrs != nullptr) {
    // Every record owns its arrays; releasing them keeps a leak checker's report clean.
    for (int N = 0; N <= ndistrs; ++N) {
      DISTR &rec = distrs[N];
      for (int i = 1; i <= rec.maxw; ++i) {
        std::free(rec.d[i]);
        std::free(rec.cdf[i]);
      }
      std::free(rec.d);
      std::free(rec.cdf);
      std::free(rec.offset);
      std::free(rec.range);
    }
    std::free(distrs);
    distrs = nullptr;
    ndistrs = -1;  // a later call starts a fresh table, record 0 included
  }
}

const DISTR *cached_distr(int N) {
  return distrs != nullptr && N >= 0 && N <= ndistrs ? &distrs[N] : nullptr;
}
