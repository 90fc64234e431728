// The fast column LLR kernel against the plain one, which defines it: for the same alphabet
// size, site count, background, range and fraction, both must give the same bits (scale,
// offset, range, every log probability, and the background they rescale in place), on every
// instruction-set path and thread count.
//
// Input bytes: alphabet size, site count (two bytes), options, range, fraction, then two bytes
// per letter (mantissa 0-255 and decimal exponent -20..20 of its background frequency; missing
// bytes count as 0). Inputs with alength * N^2 over 65536 are skipped, to keep one input fast.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "harness.h"
#include "stats/llr_distr.h"
#include "stats/llr_distr_fast.h"
#include "stats/log_tables.h"

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  init_log();
  init_exp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 6) return -1;
  const int alength = 2 + data[0] % 23;
  const int N = 2 + ((data[1] << 8) | data[2]) % 400;
  if (int64_t{alength} * N * N > 65536) return -1;
  const uint8_t options_byte = data[3];
  LlrFastOptions options;
  options.path = (options_byte & 1) != 0 ? LlrPath::Portable : LlrPath::Auto;
  options.threads = 1 + ((options_byte >> 1) & 3);
  const int desired_range = (options_byte & 0x10) != 0 ? 1 + (data[4] * 3) % 400 : 200;
  const double frac = (options_byte & 0x20) != 0 ? data[5] / 255.0 : 1.0;

  std::vector<double> background(static_cast<size_t>(alength), 0.0);
  for (int a = 0; a < alength; ++a) {
    const size_t at = 6 + 2 * static_cast<size_t>(a);
    if (at + 1 >= size) break;
    background[a] = data[at] * std::pow(10.0, data[at + 1] % 41 - 20);
  }
  std::vector<double> plain_background = background, fast_background = background;

  double plain_alpha = 0, fast_alpha = 0;
  int plain_offset = 0, fast_offset = 0, plain_range = 0, fast_range = 0;
  double *plain = llr_distr_plain(alength, plain_background.data(), N, desired_range, frac,
                                  &plain_alpha, &plain_offset, &plain_range);
  double *fast = llr_distr_fast(alength, fast_background.data(), N, desired_range, frac,
                                &fast_alpha, &fast_offset, &fast_range, options);

  if (!same_bits(plain_alpha, fast_alpha) || plain_offset != fast_offset ||
      plain_range != fast_range)
    harness_fault("alength %d N %d: scale %a/%a, offset %d/%d, range %d/%d (plain/fast)", alength,
                  N, plain_alpha, fast_alpha, plain_offset, fast_offset, plain_range, fast_range);
  for (int i = 0; i <= plain_range; ++i)
    if (!same_bits(plain[i], fast[i]))
      harness_fault("alength %d N %d: entry %d is %a plain, %a fast", alength, N, i, plain[i],
                    fast[i]);
  for (int a = 0; a < alength; ++a)
    if (!same_bits(plain_background[a], fast_background[a]))
      harness_fault("alength %d N %d: rescaled background %d is %a plain, %a fast", alength, N, a,
                    plain_background[a], fast_background[a]);
  std::free(plain);
  std::free(fast);
  return 0;
}
