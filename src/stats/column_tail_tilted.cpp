#include <kiss_fftnd.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "stats/column_tail.h"

namespace {
// Letter a's count Y ~ Poisson(lambda) (truncated at N, which conditioning on a total of N
// implies) and its deviance D = Y ln(Y / lambda) - Y + lambda. Given that the counts sum to N
// they are multinomial and the deviances sum to the column LLR. Moments below are of (Y, D)
// under the weights exp(u Y + v D).
struct Moments {
  double K = 0;                      // ln of the total weight (cumulant generating function)
  double mk = 0, md = 0;             // means of Y and D
  double vkk = 0, vkd = 0, vdd = 0;  // their (co)variances
};

// The atoms (count, deviance, ln weight) of one letter under the weights exp(u Y + v D), with
// ln of their largest weight; atoms below 1e-20 of it are left out.
struct Atoms {
  std::vector<long> k;
  std::vector<double> d, log_w;
  double top = -INFINITY;
};

Atoms letter_atoms(long N, double lambda, double u, double v) {
  const double log_lambda = std::log(lambda);
  auto deviance = [&](long k) {
    return (k > 0 ? k * (std::log(double(k)) - log_lambda) : 0.0) - k + lambda;
  };
  auto log_weight = [&](long k, double log_fact) {
    return -lambda + k * log_lambda - log_fact + u * k + v * deviance(k);
  };
  // The weights are unimodal for v < 1 (peak near lambda e^(u / (1 - v))) and largest at the
  // ends otherwise; each run goes outward from a peak until 1e-20 of the largest.
  std::vector<long> starts;
  if (v < 1) {
    const double peak = lambda * std::exp(std::min(700.0, u / (1 - v)));
    starts.push_back(static_cast<long>(std::min<double>(N, std::max(0.0, std::floor(peak)))));
  } else {
    starts.push_back(0);
    starts.push_back(N);
  }
  struct Run {
    long lo, hi;
  };
  std::vector<Run> runs;
  Atoms atoms;
  for (long s : starts) {
    const double lf = std::lgamma(s + 1.0);
    double best = log_weight(s, lf);
    long lo = s, hi = s;
    double lf_lo = lf;
    while (lo > 0) {  // ln (k - 1)! = ln k! - ln k
      const double lfk = lf_lo - std::log(double(lo));
      const double lw = log_weight(lo - 1, lfk);
      best = std::max(best, lw);
      if (lw < best - 46) break;
      --lo;
      lf_lo = lfk;
    }
    double lf_hi = lf;
    while (hi < N) {
      const double lfk = lf_hi + std::log(double(hi + 1));
      const double lw = log_weight(hi + 1, lfk);
      best = std::max(best, lw);
      if (lw < best - 46) break;
      ++hi;
      lf_hi = lfk;
    }
    atoms.top = std::max(atoms.top, best);
    runs.push_back({lo, hi});
  }
  if (runs.size() == 2 && runs[0].hi >= runs[1].lo) runs = {{runs[0].lo, runs[1].hi}};
  size_t size = 0;
  for (const Run &run : runs) size += run.hi - run.lo + 1;
  atoms.k.reserve(size);
  atoms.d.reserve(size);
  atoms.log_w.reserve(size);
  for (const Run &run : runs) {
    double lf = std::lgamma(run.lo + 1.0);
    for (long k = run.lo; k <= run.hi; ++k) {
      if (k > run.lo) lf += std::log(double(k));
      atoms.k.push_back(k);
      atoms.d.push_back(deviance(k));
      atoms.log_w.push_back(log_weight(k, lf));
    }
  }
  return atoms;
}

Moments moments_of(const Atoms &atoms) {
  double sw = 0, sk = 0, sd = 0, skk = 0, skd = 0, sdd = 0;
  for (size_t i = 0; i < atoms.k.size(); ++i) {
    const double k = atoms.k[i], d = atoms.d[i];
    const double w = std::exp(atoms.log_w[i] - atoms.top);
    sw += w;
    sk += w * k;
    sd += w * d;
    skk += w * k * k;
    skd += w * k * d;
    sdd += w * d * d;
  }
  Moments m;
  m.K = atoms.top + std::log(sw);
  m.mk = sk / sw;
  m.md = sd / sw;
  m.vkk = std::max(0.0, skk / sw - m.mk * m.mk);
  m.vkd = skd / sw - m.mk * m.md;
  m.vdd = std::max(0.0, sdd / sw - m.md * m.md);
  return m;
}

Moments total_moments(int N, const std::vector<double> &q, double u, double v) {
  Moments t;
  for (double qa : q) {
    const Moments m = moments_of(letter_atoms(N, N * qa, u, v));
    t.K += m.K;
    t.mk += m.mk;
    t.md += m.md;
    t.vkk += m.vkk;
    t.vkd += m.vkd;
    t.vdd += m.vdd;
  }
  return t;
}

// The tilt (u, v) under which the counts sum to N and the deviances to x on average: the
// minimum of the convex K(u, v) - u N - v x, by Newton steps with backtracking.
Moments solve(int N, const std::vector<double> &q, double x, double *u, double *v) {
  Moments m = total_moments(N, q, *u, *v);
  for (int iter = 0; iter < 100; ++iter) {
    const double gu = m.mk - N, gv = m.md - x;
    if (std::fabs(gu) < 1e-10 * N && std::fabs(gv) < 1e-10 * std::max(1.0, x)) break;
    const double det = m.vkk * m.vdd - m.vkd * m.vkd;
    const double du = -(m.vdd * gu - m.vkd * gv) / det;
    const double dv = -(-m.vkd * gu + m.vkk * gv) / det;
    const double f = m.K - *u * N - *v * x;
    double step = 1;
    for (int back = 0; back < 60; ++back, step /= 2) {
      const double nu = *u + step * du, nv = *v + step * dv;
      const Moments n = total_moments(N, q, nu, nv);
      if (n.K - nu * N - nv * x <= f + 1e-12 * std::fabs(f)) {
        *u = nu;
        *v = nv;
        m = n;
        break;
      }
    }
  }
  return m;
}

// ln of the integral of exp(-v (g - x)) f(g) over g >= x (v >= 0) or g < x (v < 0), where f
// is known at x + j h (j = 0, 1, ...; values[j]) and ln f is taken as straight between nodes.
double tilted_integral(const std::vector<double> &values, double h, double v) {
  double total = 0;
  for (size_t j = 0; j + 1 < values.size(); ++j) {
    const double a = values[j], b = values[j + 1];
    if (!(a > 0) || !(b > 0)) break;
    const double g0 = j * h;
    // integral over [g0, g0 + h] of a exp(s (g - g0)) exp(-|v| g), s = ln(b / a) / h
    const double rate = std::log(b / a) / h - std::fabs(v);
    const double piece = a * std::exp(-std::fabs(v) * g0) *
                         (std::fabs(rate * h) < 1e-8 ? h : std::expm1(rate * h) / rate);
    total += piece;
    if (piece < 1e-17 * total) break;
  }
  return total;
}

// ln P(G >= x) from the law of (total count, deviance sum) tilted so that its mean is
// (N, x): the tilt is undone exactly, and only the tilted density near its mean is read off a
// grid of `cells` cells per standard deviation (a 2-D FFT convolution of the letters).
}  // namespace

// The tail read with the tilt (u, v) that solve found, whose moments are m.
static double read_tilted(int N, const std::vector<double> &q, double x, double u, double v,
                          const Moments &m, int cells) {
  const int A = static_cast<int>(q.size());
  const int L = 16 * cells;  // the grid spans 16 standard deviations each way round
  const double sd_k = std::sqrt(m.vkk), sd_d = std::sqrt(m.vdd);
  const bool whole_counts = sd_k / cells < 1;
  const double bk = whole_counts ? 1.0 : sd_k / cells, bd = sd_d / cells;
  const int dims[2] = {L, L};
  kiss_fftnd_cfg forward = kiss_fftnd_alloc(dims, 2, 0, nullptr, nullptr);
  kiss_fftnd_cfg inverse = kiss_fftnd_alloc(dims, 2, 1, nullptr, nullptr);
  std::vector<kiss_fft_cpx> grid(size_t(L) * L), spectrum(size_t(L) * L), product(size_t(L) * L);
  std::vector<double> cell(size_t(L) * L);
  long count_shift = 0;  // whole-count grids: the sum of the letters' integer centres
  auto wrap = [L](long i) { return static_cast<int>(((i % L) + L) % L); };
  for (int a = 0; a < A; ++a) {
    const double lambda = N * q[a];
    const Atoms atoms = letter_atoms(N, lambda, u, v);
    const Moments ma = moments_of(atoms);
    const long centre = whole_counts ? std::lround(ma.mk) : 0;
    count_shift += centre;
    std::fill(cell.begin(), cell.end(), 0.0);
    for (size_t i = 0; i < atoms.k.size(); ++i) {
      const double w = std::exp(atoms.log_w[i] - ma.K);
      const double ys = (atoms.d[i] - ma.md) / bd;
      const double fs = ys - std::floor(ys);
      const long is = static_cast<long>(std::floor(ys));
      long ic;
      double fc;
      if (whole_counts) {
        ic = atoms.k[i] - centre;
        fc = 0;
      } else {
        const double yc = (atoms.k[i] - ma.mk) / bk;
        ic = static_cast<long>(std::floor(yc));
        fc = yc - std::floor(yc);
      }
      const int c0 = wrap(ic), c1 = wrap(ic + 1), s0 = wrap(is), s1 = wrap(is + 1);
      cell[size_t(c0) * L + s0] += w * (1 - fc) * (1 - fs);
      cell[size_t(c0) * L + s1] += w * (1 - fc) * fs;
      cell[size_t(c1) * L + s0] += w * fc * (1 - fs);
      cell[size_t(c1) * L + s1] += w * fc * fs;
    }
    for (size_t i = 0; i < grid.size(); ++i) grid[i] = {float(cell[i]), 0.0f};
    kiss_fftnd(forward, grid.data(), spectrum.data());
    if (a == 0) {
      product = spectrum;
    } else {
      for (size_t i = 0; i < product.size(); ++i) {
        const std::complex<float> p(product[i].r, product[i].i), s(spectrum[i].r, spectrum[i].i);
        const std::complex<float> r = p * s;
        product[i] = {r.real(), r.imag()};
      }
    }
  }
  kiss_fftnd(inverse, product.data(), grid.data());
  kiss_fft_free(forward);
  kiss_fft_free(inverse);
  const int row = whole_counts ? wrap(N - count_shift) : 0;
  const double norm = 1.0 / (double(L) * L * bk * bd);
  // The density at count N along the deviance sum, from x outward in the direction of the tail
  // (v >= 0: upward); for v < 0 the lower side is integrated and the complement taken.
  std::vector<double> values;
  for (int j = 0; j < L / 2; ++j) {
    const int col = wrap(v >= 0 ? j : -j);
    values.push_back(grid[size_t(row) * L + col].r * norm);
  }
  const double log_pois = -N + N * std::log(double(N)) - std::lgamma(N + 1.0);
  const double log_side = m.K - u * N - v * x + std::log(tilted_integral(values, bd, v)) - log_pois;
  if (v >= 0) return std::min(0.0, log_side);
  return std::log1p(-std::min(1.0, std::exp(log_side)));
}

namespace {
Moments centre(int N, const std::vector<double> &q, double x, double *u, double *v) {
  *u = 0;
  *v = std::clamp(1 - (static_cast<int>(q.size()) - 1) / (2 * x), 0.0, 0.999);
  return solve(N, q, x, u, v);
}
}  // namespace

double tilted_log_tail(int N, const std::vector<double> &q, double x, int cells) {
  double u, v;
  const Moments m = centre(N, q, x, &u, &v);
  return read_tilted(N, q, x, u, v, m, cells);
}

bool tilted_log_tail_checked(int N, const std::vector<double> &q, double x, double *log_p) {
  double u, v;
  const Moments m = centre(N, q, x, &u, &v);
  double previous = read_tilted(N, q, x, u, v, m, 16);
  for (int cells = 32; cells <= 128; cells *= 2) {
    *log_p = read_tilted(N, q, x, u, v, m, cells);
    if (std::fabs(*log_p - previous) <= kTiltedAgreement) return true;
    previous = *log_p;
  }
  return false;
}
