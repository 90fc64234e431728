#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "process/cancellation.h"
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

// One atom of a letter: a count, its deviance, and ln of its weight (times the counts it
// stands for, in a sampled scan).
struct Atom {
  long k;
  double d, log_w;
};

// The atoms of one letter under the weights exp(u Y + v D), in increasing count, with ln of
// their largest weight; atoms below 1e-20 of it are left out.
struct Atoms {
  std::vector<Atom> atoms;
  double top = -INFINITY;
};

using tail_cutoff::kAtomRange;
using tail_cutoff::kNegligiblePiece;
using tail_cutoff::kSampledSites;
using tail_cutoff::kSampledTolerance;
using tail_cutoff::kStepCurve;
using tail_cutoff::kStepSlope;
using tail_cutoff::kTiltTolerance;

// The atoms of one letter, from the peaks of its weights outward until 1e-20 of the largest.
// Exact: every count. Sampled: counts at steps that grow where the log weight is nearly
// straight, each weighted by the counts it stands for (the trapezoid rule, which with steps of
// one is the plain sum); its moments are close enough to steer the tilt towards its target,
// and cost a few thousand terms at any N.
void letter_atoms(long N, double lambda, double u, double v, bool sampled, Atoms &out) {
  const double log_lambda = std::log(lambda);
  auto atom = [&](long k, double log_k, double log_fact) {
    const double d = (k > 0 ? k * (log_k - log_lambda) : 0.0) - k + lambda;
    return Atom{k, d, -lambda + k * log_lambda - log_fact + u * k + v * d};
  };
  // How far a sampled scan may step from k: the slope of the log weight is about
  // ln(lambda / (k + 1/2)) + u + v ln(k / lambda), its bend about v / k - 1 / (k + 1/2).
  auto step_from = [&](long k) -> long {
    if (!sampled) return 1;
    const double kk = std::max<double>(k, 1);
    const double slope = log_lambda - std::log(k + 0.5) + u + v * (std::log(kk) - log_lambda);
    const double bend = std::fabs(v / kk - 1 / (k + 0.5));
    const double step =
        std::min(kStepSlope / std::fabs(slope), kStepCurve / std::sqrt(std::max(bend, 1e-300)));
    return static_cast<long>(std::clamp(step, 1.0, 1e9));
  };
  // Appends the atoms from `start` towards `end` (exclusive) until the weights fall below
  // 1e-20 of the largest seen; an exact scan keeps ln k! by adding or taking away ln k.
  std::vector<Atom> &atoms = out.atoms;
  atoms.clear();
  out.top = -INFINITY;
  auto scan = [&](long start, long end) {
    const int dir = end > start ? 1 : -1;
    long k = start;
    double log_k = k > 0 ? std::log(double(k)) : 0.0;
    double lf = std::lgamma(k + 1.0);
    atoms.push_back(atom(k, log_k, lf));
    out.top = std::max(out.top, atoms.back().log_w);
    while (k + dir != end) {
      const long step = std::min(step_from(k), std::labs(end - k) - 1);
      const long next = k + dir * step;
      const double log_next = next > 0 ? std::log(double(next)) : 0.0;
      if (step == 1)
        lf += dir < 0 ? -log_k : log_next;
      else
        lf = std::lgamma(next + 1.0);
      atoms.push_back(atom(next, log_next, lf));
      out.top = std::max(out.top, atoms.back().log_w);
      if (atoms.back().log_w < out.top - kAtomRange) break;
      k = next;
      log_k = log_next;
    }
  };
  // The counts each sampled atom of a run (atoms [first, last)) stands for: half the gap to
  // each neighbour, and at either end of the run one half more for itself.
  auto weigh = [&](size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
      const double below = i > first ? (atoms[i].k - atoms[i - 1].k) / 2.0 : 0.5;
      const double above = i + 1 < last ? (atoms[i + 1].k - atoms[i].k) / 2.0 : 0.5;
      if (below + above != 1) atoms[i].log_w += std::log(below + above);
    }
  };
  if (v < 1) {
    // Unimodal weights, peak near lambda e^(u / (1 - v)): down from there, then up from the
    // next count, which makes one run.
    const double peak = lambda * std::exp(std::min(700.0, u / (1 - v)));
    const long s = static_cast<long>(std::min<double>(N, std::max(0.0, std::floor(peak))));
    scan(s, -1);
    std::reverse(atoms.begin(), atoms.end());
    if (s < N) scan(s + 1, N + 1);
    weigh(0, atoms.size());
    return;
  }
  // Weights largest at the ends: up from 0, then down from N as far as the first run.
  scan(0, N + 1);
  const long reached = atoms.back().k;
  const size_t low = atoms.size();
  if (reached < N) {
    scan(N, reached);
    std::reverse(atoms.begin() + low, atoms.end());
  }
  if (low == atoms.size() || atoms[low].k == reached + 1) {  // one run
    weigh(0, atoms.size());
  } else {
    weigh(0, low);
    weigh(low, atoms.size());
  }
}

Moments moments_of(const Atoms &atoms) {
  double sw = 0, sk = 0, sd = 0, skk = 0, skd = 0, sdd = 0;
  for (const Atom &atom : atoms.atoms) {
    const double k = atom.k, d = atom.d;
    const double w = std::exp(atom.log_w - atoms.top);
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

// The moments of the whole column under the tilt (u, v), from each letter's atoms (scanned
// into `scratch`).
Moments total_moments(int N, const std::vector<double> &q, double u, double v, bool sampled,
                      Atoms &scratch) {
  Moments t;
  for (double qa : q) {
    letter_atoms(N, N * qa, u, v, sampled, scratch);
    const Moments m = moments_of(scratch);
    t.K += m.K;
    t.mk += m.mk;
    t.md += m.md;
    t.vkk += m.vkk;
    t.vkd += m.vkd;
    t.vdd += m.vdd;
  }
  return t;
}

// The tilt (u, v) under which the counts sum to N and the deviances to x on average, to within
// `tolerance` standard deviations of each: the minimum of the convex K(u, v) - u N - v x, by
// Newton steps with backtracking. Rounding may stop it short of a tight tolerance at very
// large N, a few thousandths of a count or a nat off, which changes no reading.
Moments solve(int N, const std::vector<double> &q, double x, double tolerance, bool sampled,
              double *u, double *v, Atoms &scratch) {
  Moments m = total_moments(N, q, *u, *v, sampled, scratch);
  for (int iter = 0; iter < 100; ++iter) {
    const double gu = m.mk - N, gv = m.md - x;
    if (gu * gu <= tolerance * tolerance * m.vkk && gv * gv <= tolerance * tolerance * m.vdd) break;
    const double det = m.vkk * m.vdd - m.vkd * m.vkd;
    const double du = -(m.vdd * gu - m.vkd * gv) / det;
    const double dv = -(-m.vkd * gu + m.vkk * gv) / det;
    const double f = m.K - *u * N - *v * x;
    double step = 1;
    bool moved = false;
    for (int back = 0; back < 60 && !moved; ++back, step /= 2) {
      const double nu = *u + step * du, nv = *v + step * dv;
      const Moments n = total_moments(N, q, nu, nv, sampled, scratch);
      if (n.K - nu * N - nv * x <= f + 1e-12 * std::fabs(f)) {
        moved = nu != *u || nv != *v;
        *u = nu;
        *v = nv;
        m = n;
        break;
      }
    }
    if (!moved) break;  // no step changes the tilt any more
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
    if (piece < kNegligiblePiece * total) break;
  }
  return total;
}

// A column's tilt: (u, v) and the moments of the whole column under it.
struct Tilt {
  double u = 0, v = 0;
  Moments m;
};

// The tilt under which the law of (count sum, deviance sum) has its mean at (N, x). A large N
// is first steered with sampled atoms, then finished with exact ones, whose moments the
// reading needs; a small N goes exact from the start.
Tilt centre(int N, const std::vector<double> &q, double x, Atoms &scratch) {
  Tilt t;
  t.v = std::max(0.0, 1 - (static_cast<int>(q.size()) - 1) / (2 * x));
  if (N > kSampledSites) solve(N, q, x, kSampledTolerance, true, &t.u, &t.v, scratch);
  t.m = solve(N, q, x, kTiltTolerance, false, &t.u, &t.v, scratch);
  return t;
}

// True when letter a holds at least settings.sparse_share of its tilted weight on counts below
// settings.sparse_count.
bool is_sparse(const Atoms &atoms, const Moments &ma, const TailSettings &settings) {
  double low = 0;
  for (const Atom &atom : atoms.atoms) {
    if (atom.k >= settings.sparse_count) break;
    low += std::exp(atom.log_w - ma.K);
  }
  return low >= settings.sparse_share;
}

// ln P(G >= x) from the law of (total count, deviance sum) tilted so that its mean is
// (N, x): the tilt is undone exactly, and only the tilted density near its mean is read off a
// grid of `cells` cells per standard deviation (a 2-D FFT convolution of the letters).
double read_tilted(int N, const std::vector<double> &q, double x, const Tilt &tilt,
                   const TailSettings &settings, int cells, Atoms &atoms, bool *face = nullptr) {
  const int span = settings.span;
  const Moments &m = tilt.m;
  const double u = tilt.u, v = tilt.v;
  const int A = static_cast<int>(q.size());
  const int L = span * cells;  // the grid spans `span` standard deviations, round the circle
  const double sd_k = std::sqrt(m.vkk), sd_d = std::sqrt(m.vdd);
  const bool whole_counts = sd_k / cells < 1;
  const double bk = whole_counts ? 1.0 : sd_k / cells, bd = sd_d / cells;
  // Count along the first axis, deviance along the second: a real transform keeps L / 2 + 1
  // deviance frequencies.
  const int H = L / 2 + 1;
  kiss_fftr_cfg forward_row = kiss_fftr_alloc(L, 0, nullptr, nullptr);
  kiss_fft_cfg forward_column = kiss_fft_alloc(L, 0, nullptr, nullptr);
  kiss_fftr_cfg inverse_row = kiss_fftr_alloc(L, 1, nullptr, nullptr);
  std::vector<kiss_fft_scalar> cell(size_t(L) * L);
  std::vector<char> used(static_cast<size_t>(L));
  // rows: each count row transformed along the deviance; spectrum and product are stored by
  // deviance frequency, then count frequency.
  std::vector<kiss_fft_cpx> rows(size_t(L) * H), spectrum(size_t(L) * H), product(size_t(L) * H);
  long count_shift = 0;  // whole-count grids: the sum of the letters' integer centres
  auto wrap = [L](long i) { return static_cast<int>(((i % L) + L) % L); };
  for (int a = 0; a < A && !cancel_requested(); ++a) {  // cancelled: the run throws, unread
    letter_atoms(N, N * q[a], u, v, false, atoms);
    const Moments ma = moments_of(atoms);
    if (face != nullptr && is_sparse(atoms, ma, settings)) *face = true;
    const long centre = whole_counts ? std::lround(ma.mk) : 0;
    count_shift += centre;
    std::fill(cell.begin(), cell.end(), 0.0f);
    std::fill(used.begin(), used.end(), 0);
    // Adds weight w at count row c and deviance d, split between the two nearest deviance cells.
    auto put = [&](long ic, double d, double w) {
      const double ys = (d - ma.md) / bd, fs = ys - std::floor(ys);
      const long is = static_cast<long>(std::floor(ys));
      const int c = wrap(ic), s0 = wrap(is), s1 = wrap(is + 1);
      used[size_t(c)] = 1;
      cell[size_t(c) * L + s0] += float(w * (1 - fs));
      cell[size_t(c) * L + s1] += float(w * fs);
    };
    for (const Atom &atom : atoms.atoms) {
      const double w = std::exp(atom.log_w - ma.K);
      if (whole_counts) {
        put(atom.k - centre, atom.d, w);
        continue;
      }
      const double yc = (atom.k - ma.mk) / bk, fc = yc - std::floor(yc);
      const long ic = static_cast<long>(std::floor(yc));
      put(ic, atom.d, w * (1 - fc));
      put(ic + 1, atom.d, w * fc);
    }
    // Each letter's atoms lie on a curve, a few cells per count row: the rows along the
    // deviance (skipping empty ones), then every deviance frequency along the count.
    for (int c = 0; c < L; ++c) {
      if (used[size_t(c)])
        kiss_fftr(forward_row, cell.data() + size_t(c) * L, rows.data() + size_t(c) * H);
      else
        std::fill(rows.begin() + long(c) * H, rows.begin() + long(c + 1) * H, kiss_fft_cpx{0, 0});
    }
    kiss_fft_cpx *out = a == 0 ? product.data() : spectrum.data();
    for (int ks = 0; ks < H; ++ks)
      kiss_fft_stride(forward_column, rows.data() + ks, out + size_t(ks) * L, H);
    if (a > 0) {
      for (size_t i = 0; i < product.size(); ++i) {
        const std::complex<float> p(product[i].r, product[i].i), s(spectrum[i].r, spectrum[i].i);
        const std::complex<float> r = p * s;
        product[i] = {r.real(), r.imag()};
      }
    }
  }
  // Only the row of count N is needed: the count frequencies are summed for it alone, then
  // the deviance axis is transformed back.
  const int row = whole_counts ? wrap(N - count_shift) : 0;
  std::vector<std::complex<double>> turn(static_cast<size_t>(L));
  for (int kc = 0; kc < L; ++kc)
    turn[size_t(kc)] = std::polar(1.0, 2 * M_PI * double((long(kc) * row) % L) / L);
  std::vector<kiss_fft_cpx> line(static_cast<size_t>(H));
  for (int ks = 0; ks < H; ++ks) {
    std::complex<double> sum(0, 0);
    for (int kc = 0; kc < L; ++kc) {
      const kiss_fft_cpx &p = product[size_t(ks) * L + kc];
      sum += std::complex<double>(p.r, p.i) * turn[size_t(kc)];
    }
    line[size_t(ks)] = {float(sum.real()), float(sum.imag())};
  }
  std::vector<kiss_fft_scalar> density(static_cast<size_t>(L));
  kiss_fftri(inverse_row, line.data(), density.data());
  kiss_fft_free(forward_row);
  kiss_fft_free(forward_column);
  kiss_fft_free(inverse_row);
  const double norm = 1.0 / (double(L) * L * bk * bd);
  // The density at count N along the deviance sum, from x outward in the direction of the tail
  // (v >= 0: upward); for v < 0 the lower side is integrated and the complement taken.
  std::vector<double> values;
  for (int j = 0; j < L / 2; ++j) {
    const int col = wrap(v >= 0 ? j : -j);
    values.push_back(density[size_t(col)] * norm);
  }
  const double log_pois = -N + N * std::log(double(N)) - std::lgamma(N + 1.0);
  const double log_side = m.K - u * N - v * x + std::log(tilted_integral(values, bd, v)) - log_pois;
  if (v >= 0) return std::min(0.0, log_side);
  return std::log1p(-std::min(1.0, std::exp(log_side)));
}
}  // namespace

double tilted_log_tail(int N, const std::vector<double> &q, double x, int cells) {
  Atoms atoms;
  return read_tilted(N, q, x, centre(N, q, x, atoms), TailSettings(), cells, atoms);
}

TiltedReading tilted_log_tail_checked(int N, const std::vector<double> &q, double x,
                                      const TailSettings &settings) {
  Atoms atoms;
  const Tilt tilt = centre(N, q, x, atoms);
  TiltedReading reading;
  reading.v = tilt.v;
  double previous =
      read_tilted(N, q, x, tilt, settings, settings.first_cells, atoms, &reading.face);
  reading.log_p = previous;
  for (int cells = 2 * settings.first_cells; cells <= settings.most_cells; cells *= 2) {
    throw_if_cancelled();
    reading.log_p = read_tilted(N, q, x, tilt, settings, cells, atoms);
    if (std::fabs(reading.log_p - previous) <= settings.agreement) {
      reading.settled = true;
      break;
    }
    previous = reading.log_p;
  }
  return reading;
}
