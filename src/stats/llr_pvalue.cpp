#include "stats/llr_pvalue.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <set>

#include "stats/alignment_count.h"
#include "stats/llr_distr.h"
#include "stats/llr_distr_fast.h"
#include "stats/log_constants.h"
#include "stats/resize.h"
#include "stats/score_distr.h"

namespace {
using Prepared = PreparedDistr;

void release_prepared(StatsCache &cache) {
  for (auto &entry : cache.prepared) std::free(entry.second.d);
  cache.prepared.clear();
}

double *build_distr(const StatsCache &cache, int alength, double *background, int N,
                    int desired_range, double frac, double *alpha, int *offset, int *range) {
  // The baseline for benchmarks: the definition, one distribution at a time.
  if (cache.plain_kernel)
    return llr_distr_plain(alength, background, N, desired_range, frac, alpha, offset, range);
  return llr_distr_fast(alength, background, N, desired_range, frac, alpha, offset, range);
}

// The distribution prepared for N, when it was built from exactly this background and these
// arguments; the background is then rescaled as that build rescaled its copy. Otherwise
// nullptr, and the caller builds it.
double *take_prepared(StatsCache &cache, int N, int alength, double *background, int desired_range,
                      double frac, double *alpha, int *offset, int *range) {
  const auto found = cache.prepared.find(N);
  if (found == cache.prepared.end()) return nullptr;
  Prepared p = std::move(found->second);
  cache.prepared.erase(found);
  if (p.alength != alength || p.desired_range != desired_range || p.frac != frac ||
      std::memcmp(p.background.data(), background, sizeof(double) * alength) != 0) {
    std::free(p.d);
    return nullptr;
  }
  rescale_background(alength, background);
  *alpha = p.alpha;
  *offset = p.offset;
  *range = p.range;
  return p.d;
}

// The kernel gives every letter at least 1e-200 before it rescales the background to sum 1.
// Beside frequencies beyond about 1e100 that floor vanishes: a letter's share falls below
// 1e-300 (to 0 when the sum overflows) and its scores become infinite. Such a background is
// divided by its largest frequency first, so the floor works as on any ordinary one; every
// other background is left untouched.
void keep_letter_floor(int alength, double *background) {
  double sum = 0, largest = 0;
  for (int a = 0; a < alength; ++a) {
    sum += LOG_GUARD + background[a];
    if (background[a] > largest) largest = background[a];
  }
  bool vanishes = false;
  for (int a = 0; a < alength; ++a)
    vanishes = vanishes || !((LOG_GUARD + background[a]) / sum >= 1e-300);
  if (!vanishes || !(largest > 0)) return;
  for (int a = 0; a < alength; ++a) background[a] /= largest;
}

// Builds the missing widths maxw + 1 .. w of `rec`, each from the one narrower.
void widen(StatsCache &cache, DISTR &rec, int w, int N, int desired_range, double frac, int alength,
           double *background) {
  Resize(rec.d, static_cast<long>(w) + 1, "distrs[N].d", "w+1", "double *");
  Resize(rec.cdf, static_cast<long>(w) + 1, "distrs[N].cdf", "w+1", "double *");
  Resize(rec.offset, static_cast<long>(w) + 1, "distrs[N].offset", "w+1", "int");
  Resize(rec.range, static_cast<long>(w) + 1, "distrs[N].range", "w+1", "int");
  if (rec.maxw == 0) {
    keep_letter_floor(alength, background);
    rec.d[1] = take_prepared(cache, N, alength, background, desired_range, frac, &rec.alpha,
                             &rec.offset[1], &rec.range[1]);
    if (rec.d[1] == nullptr)
      rec.d[1] = build_distr(cache, alength, background, N, desired_range, frac, &rec.alpha,
                             &rec.offset[1], &rec.range[1]);
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

double get_llr_pv(StatsCache &cache, double x, double n, int w, int desired_range, double frac,
                  int alength, double *background) {
  if (n <= 1.0) return 0.0;
  if (std::floor(n) != std::ceil(n)) {
    const double below =
        get_llr_pv(cache, x, std::floor(n), w, desired_range, frac, alength, background);
    const double above =
        get_llr_pv(cache, x, std::ceil(n), w, desired_range, frac, alength, background);
    return (std::ceil(n) - n) * below + (n - std::floor(n)) * above;
  }
  // One letter: every column has LLR 0 and no scale can be formed; every LLR is certain. The
  // background is still rescaled as the kernel would have rescaled it, so it reads 1.
  if (alength < 2) {
    if (alength == 1 && w > 0)
      background[0] = (LOG_GUARD + background[0]) / (LOG_GUARD + background[0]);
    return 0.0;
  }
  const int N = static_cast<int>(n);
  if (cache.ndistrs < N) {
    Resize(cache.distrs, static_cast<long>(N) + 1, "distrs", "N+1", "DISTR");
    for (int i = cache.ndistrs + 1; i <= N; ++i) {
      DISTR &fresh = cache.distrs[i];
      fresh.maxw = 0;
      fresh.range = fresh.offset = nullptr;
      fresh.d = fresh.cdf = nullptr;
      fresh.mean = 0;
    }
    cache.ndistrs = N;
  }
  if (w == 0) return 0.0;
  DISTR &rec = cache.distrs[N];
  if (rec.maxw < w) widen(cache, rec, w, N, desired_range, frac, alength, background);

  const double s = rec.alpha * x - rec.offset[w];
  if (s < 0) return rec.cdf[w][0];
  // Compared as a double first, so a score far off the grid never overflows the conversion.
  if (!(s < rec.range[w])) return rec.cdf[w][rec.range[w]];
  const int I = static_cast<int>(s);
  return rec.cdf[w][I] + (s - I) * (rec.cdf[w][I + 1] - rec.cdf[w][I]);
}

std::vector<double> background_as_lattice_leaves_it(int alength, const double *background,
                                                    const std::vector<int> &site_counts) {
  std::vector<double> out(background, background + std::max(alength, 0));
  std::set<int> built;
  for (const int N : site_counts) {
    if (N < 2 || !built.insert(N).second) continue;
    if (alength == 1) {
      out[0] = (LOG_GUARD + out[0]) / (LOG_GUARD + out[0]);
    } else if (alength >= 2) {
      keep_letter_floor(alength, out.data());
      rescale_background(alength, out.data());
    }
  }
  return out;
}

std::vector<double> normalised_background(int alength, const double *background) {
  std::vector<double> out(background, background + std::max(alength, 0));
  if (alength >= 2) keep_letter_floor(alength, out.data());
  rescale_background(alength, out.data());
  return out;
}

void freestuff(StatsCache &cache) {
  free_length_cache(cache);
  release_prepared(cache);
  if (cache.distrs != nullptr) {
    // Every record owns its arrays; releasing them keeps a leak checker's report clean.
    for (int N = 0; N <= cache.ndistrs; ++N) {
      DISTR &rec = cache.distrs[N];
      for (int i = 1; i <= rec.maxw; ++i) {
        std::free(rec.d[i]);
        std::free(rec.cdf[i]);
      }
      std::free(rec.d);
      std::free(rec.cdf);
      std::free(rec.offset);
      std::free(rec.range);
    }
    std::free(cache.distrs);
    cache.distrs = nullptr;
    cache.ndistrs = -1;  // a later call starts a fresh table, record 0 included
  }
}

StatsCache::~StatsCache() { freestuff(*this); }

void prepare_llr_distrs(StatsCache &cache, const std::vector<int> &site_counts, int desired_range,
                        double frac, int alength, const double *background, int threads,
                        LlrProgress *progress) {
  release_prepared(cache);
  // The baseline builds each distribution when it is first asked for.
  if (cache.plain_kernel || alength < 2) return;
  struct Job {
    int N;
    long cost;
    int motifs;  // requests that wait for it
    Prepared p;
  };
  std::vector<Job> jobs;
  std::map<int, size_t> job_of;
  // Replays, in request order, what get_llr_pv does to the background before each new build.
  std::vector<double> bg(background, background + alength);
  for (int N : site_counts) {
    if (N < 2 || (N <= cache.ndistrs && cache.distrs[N].maxw > 0)) continue;
    const auto known = job_of.emplace(N, jobs.size());
    if (!known.second) {
      ++jobs[known.first->second].motifs;
      continue;
    }
    keep_letter_floor(alength, bg.data());
    Job job{N, llr_work(alength, N), 1, Prepared()};
    job.p.background = bg;
    job.p.alength = alength;
    job.p.desired_range = desired_range;
    job.p.frac = frac;
    jobs.push_back(std::move(job));
    rescale_background(alength, bg.data());
  }
  long remaining = 0;
  int waiting = 0;
  for (const Job &job : jobs) {
    remaining += job.cost;
    waiting += job.motifs;
  }
  if (progress != nullptr) {
    progress->motifs = static_cast<int>(site_counts.size());
    progress->motifs_ready = progress->motifs - waiting;
    progress->total = remaining;
  }
  std::vector<size_t> order(jobs.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return jobs[a].cost > jobs[b].cost; });
  auto build = [&](Job &job, int kernel_threads) {
    std::vector<double> copy = job.p.background;  // the build rescales it
    LlrFastOptions options;
    options.threads = kernel_threads;
    options.progress = progress;
    job.p.d = llr_distr_fast(alength, copy.data(), job.N, desired_range, frac, &job.p.alpha,
                             &job.p.offset, &job.p.range, options);
    if (progress != nullptr) progress->motifs_ready += job.motifs;
  };
  // A call that would outlast all the others together, shared among the threads, gets every
  // thread; the rest run side by side, one call per thread, largest first.
  size_t next = 0;
  while (next < order.size() && threads > 1) {
    Job &job = jobs[order[next]];
    if (!llr_worth_threads(alength, job.N) || job.cost * threads <= remaining) break;
    build(job, threads);
    remaining -= job.cost;
    ++next;
  }
  std::atomic<size_t> taken{next};
  auto worker = [&] {
    for (size_t i; (i = taken.fetch_add(1)) < order.size();) build(jobs[order[i]], 1);
  };
  if (next < order.size())
    run_on_threads(static_cast<int>(std::min<size_t>(threads, order.size() - next)), worker);
  for (Job &job : jobs) cache.prepared.emplace(job.N, std::move(job.p));
}
