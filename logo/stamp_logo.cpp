#include "logo/stamp_logo.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "logo/blend_logo.h"
#include "logo/logo_presets.h"

namespace rumora {
namespace {

// The weight of a pixel is P A over 100 * 255: every mix is an integer over this.
constexpr std::int32_t kWhole = 25500;

// How an opaque channel whose exact value lies halfway between two integers is rounded. The
// blend without alpha forms (1 - t) u + t l in extended precision from t, the double nearest
// P / 100. From P = 7 on, t's significand and the bytes fit 64 bits, so every step is exact and
// the blend is the exact value for t: the exact value for P / 100 moved by (t - P / 100)(l - u),
// far too little to cross any other rounding boundary. A half therefore goes towards l when t
// lies above P / 100, away from it when below, and to even when t is P / 100 exactly. Below 7 the
// steps round, and such channels take the blend's own arithmetic.
enum class OpaqueHalves { kEven, kTowardsLogo, kAwayFromLogo, kBlendArithmetic };

OpaqueHalves OpaqueHalvesFor(int p) {
  const long double t = LogoWeight(p);
  const long double exact = static_cast<long double>(p);
  if (t * 100 == exact) return OpaqueHalves::kEven;  // t * 100 is exact: 53 + 7 bits
  if (p < 7) return OpaqueHalves::kBlendArithmetic;
  return t * 100 > exact ? OpaqueHalves::kTowardsLogo : OpaqueHalves::kAwayFromLogo;
}

struct Mix {
  std::int32_t opaqueWeight;  // 255 P, the weight of an opaque pixel
  OpaqueHalves halves;
  double t;  // for kBlendArithmetic
};

std::uint8_t MixOne(std::uint8_t u, std::uint8_t l, std::int32_t w, const Mix& mix) {
  const std::int32_t n = u * (kWhole - w) + l * w;
  std::int32_t q = n / kWhole;
  const std::int32_t twice = 2 * (n - q * kWhole);
  if (twice == kWhole && w == mix.opaqueWeight) {
    switch (mix.halves) {
      case OpaqueHalves::kEven:
        break;
      case OpaqueHalves::kTowardsLogo:
        return static_cast<std::uint8_t>(q + (l > u));
      case OpaqueHalves::kAwayFromLogo:
        return static_cast<std::uint8_t>(q + (l < u));
      case OpaqueHalves::kBlendArithmetic:
        return BlendChannel(u, l, mix.t);
    }
  }
  q += twice > kWhole || (twice == kWhole && (q & 1) != 0);
  return static_cast<std::uint8_t>(q);
}

// Where and how large the stamped image lands on the picture.
struct Placement {
  const LogoImage* image;
  int shift;  // a logo pixel covers 2^shift picture pixels along each axis
  std::int64_t left, top;
};

Placement Place(const LogoPicture& logo, std::int32_t viewLeft, std::int32_t viewTop,
                OutputSize size) {
  const int s = OutputScale(size);
  const std::int64_t left = std::int64_t{viewLeft} * s, top = std::int64_t{viewTop} * s;
  if (s > 1 && logo.doubleSize) return {&*logo.doubleSize, 0, left, top};
  return {&logo.image, s > 1 ? 1 : 0, left, top};
}

// One or two picture rows' part under the logo: picture pixels [x, end) of `out`, the logo row
// `logo` with its alphas `alpha` (a logo without alpha has 0 for white and 255 for the rest).
struct RowJob {
  std::uint8_t* out;
  std::uint8_t* nextOut;  // the picture row below, from the same logo row; or null
  const std::uint8_t* logo;
  const std::uint8_t* alpha;
  std::int64_t left;  // picture column of the logo's column 0
  int shift;
  int p;
  const Mix* mix;

  void Pixel(std::int64_t x) const {
    const std::int64_t column = (x - left) >> shift;
    const std::int32_t w = p * alpha[column];
    if (w == 0) return;
    for (std::uint8_t* row : {out, nextOut}) {
      if (row == nullptr) continue;
      for (int c = 0; c < 3; ++c) {
        std::uint8_t& u = row[3 * x + c];
        u = MixOne(u, logo[3 * column + c], w, *mix);
      }
    }
  }
};

struct LaneConstants;

#if defined(__x86_64__)
// Sixteen channels in 16-bit lanes. A channel's new value is u + round(x), x = d W / 25500 with
// d = l - u, rounded half to even on the whole value u + x. The quotient is first estimated with a
// 15-bit fraction m of W / 25500 (less than 2 units short, so the estimate q lies within 0.52 of
// x), then settled exactly by twice the remainder, e = 2 d W - 51000 q, which lies within 16 bits
// and so is formed from the low halves of the products: one step up or down follows when |e|
// passes 25500, or meets it and u + q is odd.
// An opaque lane of a bar position whose halves go towards or away from the logo takes 2 W + 1 or
// 2 W - 1 for 2 W. Its e, 510 (d P - 100 q), is a multiple of 510, and the change moves it by d,
// less than half of that: only a half, |e| = 25500, is settled differently, and then by the sign
// of d, that is towards or away from the logo, whatever the parity.
struct LaneConstants {
  __m256i alphaWeight;    // 512 P: the high half of (A << 8) times it is 2 W = 2 P A
  __m256i quotientScale;  // floor(2^23 P / 25500): the high half of (A << 8) times it is m
  __m256i whole, half, one;
  __m256i opaqueWeight;  // 2 W of an opaque pixel, 510 P
  __m256i tilt;          // 1 when opaque halves go towards the logo, -1 when away from it
  bool directed;         // opaque halves go towards or away from the logo
};

__attribute__((target("avx2"), always_inline)) inline __m256i MixSixteen(__m256i u, __m256i l,
                                                                         __m256i w2, __m256i m,
                                                                         const LaneConstants& k) {
  const __m256i d = _mm256_sub_epi16(l, u);
  const __m256i q = _mm256_mulhrs_epi16(d, m);
  const __m256i e = _mm256_sub_epi16(_mm256_mullo_epi16(d, w2), _mm256_mullo_epi16(q, k.whole));
  const __m256i r = _mm256_add_epi16(u, q);
  const __m256i odd = _mm256_and_si256(r, k.one);
  const __m256i step = _mm256_cmpgt_epi16(_mm256_add_epi16(_mm256_abs_epi16(e), odd), k.half);
  return _mm256_sub_epi16(r, _mm256_sign_epi16(step, e));
}

// Shuffles that spread a block's bytes over the lanes of its three vectors of sixteen channels:
// channel c of the block is pixel c / 3, which shows logo pixel (c / 3) >> Shift.
struct Spread {
  alignas(32) std::int8_t alpha[3][32];  // the pixel's alpha into the lane's high byte
  alignas(32) std::int8_t logo[3][32];   // a doubled logo's byte, from a window of 16 bytes
};
constexpr int kLogoWindow[3] = {0, 6, 8};  // where each vector's window of a doubled logo starts

template <int Shift>
constexpr Spread MakeSpread() {
  Spread s{};
  for (int v = 0; v < 3; ++v) {
    for (int lane = 0; lane < 16; ++lane) {
      const int c = 16 * v + lane, logoPixel = (c / 3) >> Shift;
      const int half = lane / 8, at = 2 * (lane % 8) + 16 * half;
      s.alpha[v][at] = -128;
      s.alpha[v][at + 1] = static_cast<std::int8_t>(logoPixel);
      s.logo[v][at] = static_cast<std::int8_t>(3 * logoPixel + c % 3 - kLogoWindow[v]);
      s.logo[v][at + 1] = -128;
    }
  }
  return s;
}
constexpr Spread kSpread[2] = {MakeSpread<0>(), MakeSpread<1>()};

__attribute__((target("avx2"))) inline __m256i Load32(const std::int8_t* p) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
}
__attribute__((target("avx2"))) inline __m256i Widen(const std::uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// One block of sixteen picture pixels: rows `out` and `nextOut` (or null) from the logo's bytes
// and alphas at `logo` and `alpha` (16 or, doubled, 8 logo pixels; none read beyond them). A block
// the logo does not show through is left alone.
template <int Shift, bool Directed>
__attribute__((target("avx2"), always_inline)) inline void MixBlock(std::uint8_t* out,
                                                                    std::uint8_t* nextOut,
                                                                    const std::uint8_t* logo,
                                                                    const std::uint8_t* alpha,
                                                                    const LaneConstants& k) {
  const __m128i a = Shift == 0 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha))
                               : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha));
  if (_mm_testz_si128(a, a)) return;
  const __m256i alphas = _mm256_broadcastsi128_si256(a);
  const Spread& spread = kSpread[Shift];
  __m256i l[3], w[3], m[3];
#pragma GCC unroll 3
  for (int v = 0; v < 3; ++v) {
    const __m256i high = _mm256_shuffle_epi8(alphas, Load32(spread.alpha[v]));
    w[v] = _mm256_mulhi_epu16(high, k.alphaWeight);
    m[v] = _mm256_mulhi_epu16(high, k.quotientScale);
    if constexpr (Directed) {
      const __m256i opaque = _mm256_cmpeq_epi16(w[v], k.opaqueWeight);
      w[v] = _mm256_add_epi16(w[v], _mm256_and_si256(opaque, k.tilt));
    }
    if constexpr (Shift == 0) {
      l[v] = Widen(logo + 16 * v);
    } else {
      const __m256i window = _mm256_broadcastsi128_si256(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(logo + kLogoWindow[v])));
      l[v] = _mm256_shuffle_epi8(window, Load32(spread.logo[v]));
    }
  }
  for (std::uint8_t* row : {out, nextOut}) {
    if (row == nullptr) continue;
    __m256i r[3];
#pragma GCC unroll 3
    for (int v = 0; v < 3; ++v) r[v] = MixSixteen(Widen(row + 16 * v), l[v], w[v], m[v], k);
    // The packs work within each 128-bit half; the permutes put the quarters back in order.
    const __m256i first = _mm256_permute4x64_epi64(_mm256_packus_epi16(r[0], r[1]), 0xD8);
    const __m256i last = _mm256_permute4x64_epi64(_mm256_packus_epi16(r[2], r[2]), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), first);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 32), _mm256_castsi256_si128(last));
  }
}

std::uint8_t* PixelAt(std::uint8_t* row, std::int64_t x) { return row ? row + 3 * x : nullptr; }

// The picture row part [x, end) in blocks; the last few pixels through a block of copies, the
// logo pixels it lacks see-through.
template <int Shift, bool Directed>
__attribute__((target("avx2"))) void MixBlocksAvx2(const RowJob& job, std::int64_t x,
                                                   std::int64_t end, const LaneConstants& k) {
  for (; x + 16 <= end; x += 16) {
    const std::int64_t column = (x - job.left) >> Shift;
    MixBlock<Shift, Directed>(PixelAt(job.out, x), PixelAt(job.nextOut, x), job.logo + 3 * column,
                              job.alpha + column, k);
  }
  if (x == end) return;
  const auto pixelBytes = static_cast<std::size_t>(3 * (end - x));
  const std::int64_t column = (x - job.left) >> Shift;
  const auto columns = static_cast<std::size_t>(((end - 1 - job.left) >> Shift) - column + 1);
  std::uint8_t rows[2][48] = {}, logo[48] = {}, alpha[16] = {};
  std::memcpy(logo, job.logo + 3 * column, 3 * columns);
  std::memcpy(alpha, job.alpha + column, columns);
  std::uint8_t* const picture[2] = {PixelAt(job.out, x), PixelAt(job.nextOut, x)};
  for (int i = 0; i < 2; ++i) {
    if (picture[i] != nullptr) std::memcpy(rows[i], picture[i], pixelBytes);
  }
  MixBlock<Shift, Directed>(rows[0], picture[1] != nullptr ? rows[1] : nullptr, logo, alpha, k);
  for (int i = 0; i < 2; ++i) {
    if (picture[i] != nullptr) std::memcpy(picture[i], rows[i], pixelBytes);
  }
}

__attribute__((target("avx2"))) void SetLaneConstants(LaneConstants& k, const Mix& mix, int p) {
  k.alphaWeight = _mm256_set1_epi16(static_cast<short>(512 * p));
  k.quotientScale = _mm256_set1_epi16(static_cast<short>((std::int64_t{p} << 23) / kWhole));
  k.whole = _mm256_set1_epi16(static_cast<short>(2 * kWhole));
  k.half = _mm256_set1_epi16(kWhole);
  k.one = _mm256_set1_epi16(1);
  k.opaqueWeight = _mm256_set1_epi16(static_cast<short>(2 * mix.opaqueWeight));
  k.tilt = _mm256_set1_epi16(mix.halves == OpaqueHalves::kTowardsLogo ? 1 : -1);
  k.directed =
      mix.halves == OpaqueHalves::kTowardsLogo || mix.halves == OpaqueHalves::kAwayFromLogo;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

// `lanes`: the vector constants of the mix, or null where the blocks are not used.
void MixPictureRow(const RowJob& job, std::int64_t x, std::int64_t end,
                   [[maybe_unused]] const LaneConstants* lanes) {
  // A doubled logo's blocks start on a logo pixel's first picture column.
  if (job.shift == 1 && ((x - job.left) & 1) != 0 && x < end) job.Pixel(x++);
#if defined(__x86_64__)
  if (lanes != nullptr) {
    const bool directed = lanes->directed;
    if (job.shift == 0) {
      directed ? MixBlocksAvx2<0, true>(job, x, end, *lanes)
               : MixBlocksAvx2<0, false>(job, x, end, *lanes);
    } else {
      directed ? MixBlocksAvx2<1, true>(job, x, end, *lanes)
               : MixBlocksAvx2<1, false>(job, x, end, *lanes);
    }
    return;
  }
#endif
  for (; x < end; ++x) job.Pixel(x);
}

// Every picture row under the logo, each from the logo row that covers it.
void MixImage(Bitmap& output, const Placement& place, int p) {
  const LogoImage& image = *place.image;
  const std::int64_t k = std::int64_t{1} << place.shift;
  const std::int64_t x0 = std::max<std::int64_t>(place.left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(place.left + k * image.Width(), output.Width());
  const std::int64_t y0 = std::max<std::int64_t>(place.top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(place.top + k * image.Height(), output.Height());
  if (x0 >= x1 || y0 >= y1 || p == 0) return;

  // Without alpha, white is see-through and every other pixel opaque.
  std::vector<std::uint8_t> whiteAlpha;
  if (!image.HasAlpha()) {
    whiteAlpha.resize(static_cast<std::size_t>(image.Width()) * image.Height());
    std::size_t i = 0;
    for (int y = 0; y < image.Height(); ++y) {
      const std::uint8_t* in = image.colour.Row(y);
      for (int x = 0; x < image.Width(); ++x, in += 3) {
        whiteAlpha[i++] = (in[0] & in[1] & in[2]) == 255 ? 0 : 255;
      }
    }
  }
  const Mix mix{255 * p, OpaqueHalvesFor(p), LogoWeight(p)};
  const LaneConstants* lanes = nullptr;
#if defined(__x86_64__)
  // Opaque halves by the blend's own arithmetic are rare weights (1 to 6): one way for them.
  LaneConstants constants;
  if (kHasAvx2 && mix.halves != OpaqueHalves::kBlendArithmetic) {
    SetLaneConstants(constants, mix, p);
    lanes = &constants;
  }
#endif
  for (std::int64_t y = y0; y < y1; ++y) {
    const int logoRow = static_cast<int>((y - place.top) >> place.shift);
    // A doubled logo row covers two picture rows: both are mixed from one reading of it.
    const bool pair = y + 1 < y1 && ((y + 1 - place.top) >> place.shift) == logoRow;
    const RowJob job{output.Row(static_cast<int>(y)),
                     pair ? output.Row(static_cast<int>(++y)) : nullptr,
                     image.colour.Row(logoRow),
                     image.HasAlpha()
                         ? image.AlphaRow(logoRow)
                         : whiteAlpha.data() + static_cast<std::size_t>(image.Width()) * logoRow,
                     place.left,
                     place.shift,
                     p,
                     &mix};
    MixPictureRow(job, x0, x1, lanes);
  }
}

std::int32_t ToPlace(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void StampLogo(Bitmap& output, const LogoPicture& logo, std::int32_t viewLeft, std::int32_t viewTop,
               int transparency, OutputSize size) {
  const int p = std::clamp(transparency, 0, 100);
  const Placement place = Place(logo, viewLeft, viewTop, size);
  if (place.shift == 0 && !place.image->HasAlpha()) {
    // A place beyond 32 bits lies off the picture either way.
    BlendLogo(output, place.image->colour, ToPlace(place.left), ToPlace(place.top), LogoWeight(p));
    return;
  }
  MixImage(output, place, p);
}

}  // namespace rumora
