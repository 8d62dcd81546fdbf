#include "logo/blend_logo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace rumora {
namespace {

// The two products of the blend for every byte, each rounded to an 80-bit value as the formula
// rounds them; a channel then costs one addition and one rounding.
struct Products {
  explicit Products(double t) {
    const long double weight = t;
    const long double rest = 1.0L - weight;
    for (int v = 0; v < 256; ++v) {
      under[v] = rest * static_cast<long double>(v);
      over[v] = weight * static_cast<long double>(v);
    }
  }
  std::uint8_t Channel(std::uint8_t u, std::uint8_t l) const {
    const long double sum = under[u] + over[l];
    return static_cast<std::uint8_t>(std::lrintl(sum));  // half to even; low 8 bits kept
  }
  std::array<long double, 256> under;
  std::array<long double, 256> over;
};

// Above this many channels a full 256 x 256 table of results is cheaper than the arithmetic.
constexpr std::int64_t kTableThreshold = 256 * 256;

template <typename Mix>
void BlendRows(Bitmap& output, const Bitmap& logo, std::int64_t left, std::int64_t top, int x0,
               int x1, int y0, int y1, const Mix& mix) {
  // Each logo pixel lands on its own output pixel, so the order of the visits cannot change the
  // result: rows outer, with row pointers taken once.
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* in = logo.Row(y) + 3 * static_cast<std::size_t>(x0);
    std::uint8_t* out =
        output.Row(static_cast<int>(top + y)) + 3 * static_cast<std::size_t>(left + x0);
    for (int x = x0; x < x1; ++x, in += 3, out += 3) {
      if ((in[0] & in[1] & in[2]) == 255) continue;  // pure white is see-through
      out[0] = mix(out[0], in[0]);
      out[1] = mix(out[1], in[1]);
      out[2] = mix(out[2], in[2]);
    }
  }
}

}  // namespace

std::uint8_t BlendChannel(std::uint8_t u, std::uint8_t l, double t) {
  const long double weight = t;
  const long double rest = 1.0L - weight;
  const long double under = rest * static_cast<long double>(u);
  const long double over = weight * static_cast<long double>(l);
  const long double sum = under + over;
  return static_cast<std::uint8_t>(std::lrintl(sum));
}

void BlendLogo(Bitmap& output, const Bitmap& logo, std::int32_t left, std::int32_t top, double t) {
  // The logo columns and rows that land on the output; 64-bit so no place can overflow.
  const std::int64_t l = left, tp = top;
  const int x0 = static_cast<int>(std::clamp<std::int64_t>(-l, 0, logo.Width()));
  const int x1 = static_cast<int>(std::clamp<std::int64_t>(output.Width() - l, 0, logo.Width()));
  const int y0 = static_cast<int>(std::clamp<std::int64_t>(-tp, 0, logo.Height()));
  const int y1 = static_cast<int>(std::clamp<std::int64_t>(output.Height() - tp, 0, logo.Height()));
  if (x0 >= x1 || y0 >= y1) return;

  const Products products(t);
  const std::int64_t channels = std::int64_t{3} * (x1 - x0) * (y1 - y0);
  if (channels < kTableThreshold) {
    BlendRows(output, logo, l, tp, x0, x1, y0, y1,
              [&](std::uint8_t u, std::uint8_t v) { return products.Channel(u, v); });
    return;
  }
  std::vector<std::uint8_t> table(256 * 256);
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < 256; ++v) {
      table[static_cast<std::size_t>(u) << 8 | v] =
          products.Channel(static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(v));
    }
  }
  const std::uint8_t* mixed = table.data();
  BlendRows(output, logo, l, tp, x0, x1, y0, y1, [mixed](std::uint8_t u, std::uint8_t v) {
    return mixed[static_cast<std::size_t>(u) << 8 | v];
  });
}

}  // namespace rumora
