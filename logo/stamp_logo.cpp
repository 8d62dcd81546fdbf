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

#if defined(__x86_64__)
// What the vector steps share: the mix's constants in registers.
struct VectorMix {
  __m256 whole;
  __m256 half;
  __m256i opaque;
  bool directed, towards;
};

// Eight channels' new bytes, in 32-bit lanes: the bytes u at `out`, the logo's bytes l (the low
// eight of `logo`) and, in each 32-bit lane, the pair 25500 - w (low half) and w (high half). n = u
// (25500 - w) + l w, one multiply-add of the interleaved bytes, lies below 2^23, so it is a float
// exactly, and the float quotient n / 25500, rounded once, is within 2^-17 of the exact one: on the
// same side of every point halfway between two integers, and exactly on it when the exact quotient
// is. Converting it rounds halves to even; an opaque channel whose halves go towards or away from
// the logo (`opaque` set) is settled as MixOne does.
__attribute__((target("avx2"), always_inline)) inline __m256i MixEight(const std::uint8_t* out,
                                                                       __m128i logo, __m256i pairs,
                                                                       bool opaque,
                                                                       const VectorMix& m) {
  const __m128i u = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(out));
  const __m256i n = _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(u, logo)), pairs);
  const __m256 q = _mm256_div_ps(_mm256_cvtepi32_ps(n), m.whole);
  __m256i k = _mm256_cvtps_epi32(q);
  if (opaque && m.directed) {
    const __m256 floor = _mm256_floor_ps(q);
    const __m256i halves = _mm256_and_si256(
        _mm256_castps_si256(_mm256_cmp_ps(_mm256_sub_ps(q, floor), m.half, _CMP_EQ_OQ)),
        _mm256_cmpeq_epi32(_mm256_srli_epi32(pairs, 16), m.opaque));
    if (!_mm256_testz_si256(halves, halves)) {
      const __m256i u32 = _mm256_cvtepu8_epi32(u), l32 = _mm256_cvtepu8_epi32(logo);
      const __m256i up = m.towards ? _mm256_cmpgt_epi32(l32, u32) : _mm256_cmpgt_epi32(u32, l32);
      k = _mm256_blendv_epi8(k, _mm256_sub_epi32(_mm256_cvtps_epi32(floor), up), halves);
    }
  }
  return k;
}

// Blocks of eight picture pixels, their 24 channels as three vectors of eight lanes; blocks the
// logo does not show through are skipped. Returns the first pixel not done: the last few, or
// those whose logo bytes end too near the picture's memory for a doubled logo's 16-byte reads.
template <int Shift>
__attribute__((target("avx2"))) std::int64_t MixBlocksAvx2(const RowJob& job, std::int64_t x,
                                                           std::int64_t end,
                                                           std::int64_t logoColumns) {
  // The pixel of each channel lane, for the three vectors: channel i of a block is pixel i / 3.
  const __m256i pixelOf0 = _mm256_srli_epi32(_mm256_setr_epi32(0, 0, 0, 1, 1, 1, 2, 2), Shift);
  const __m256i pixelOf1 = _mm256_srli_epi32(_mm256_setr_epi32(2, 3, 3, 3, 4, 4, 4, 5), Shift);
  const __m256i pixelOf2 = _mm256_srli_epi32(_mm256_setr_epi32(5, 5, 6, 6, 6, 7, 7, 7), Shift);
  // A doubled logo's twelve bytes of four pixels spread over the block's 24 channels.
  const __m128i spreadLow = _mm_setr_epi8(0, 1, 2, 0, 1, 2, 3, 4, 5, 3, 4, 5, 6, 7, 8, 6);
  const __m128i spreadHigh = _mm_setr_epi8(7, 8, 9, 10, 11, 9, 10, 11, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i weight = _mm256_set1_epi32(job.p);
  const __m256i whole = _mm256_set1_epi32(kWhole);
  const __m256i byteOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  const VectorMix m{_mm256_set1_ps(static_cast<float>(kWhole)), _mm256_set1_ps(0.5f),
                    _mm256_set1_epi32(job.mix->opaqueWeight),
                    job.mix->halves == OpaqueHalves::kTowardsLogo ||
                        job.mix->halves == OpaqueHalves::kAwayFromLogo,
                    job.mix->halves == OpaqueHalves::kTowardsLogo};
  for (; x + 8 <= end; x += 8) {
    const std::int64_t column = (x - job.left) >> Shift;
    if (Shift == 1 && column + 6 > logoColumns) break;  // the spread reads 16 bytes
    // The block's alphas straight into a register: a narrower copy to memory read back wider
    // would wait for the store.
    __m128i alphas;
    if constexpr (Shift == 0) {
      std::uint64_t bytes;
      std::memcpy(&bytes, job.alpha + column, sizeof bytes);
      if (bytes == 0) continue;  // see-through
      alphas = _mm_cvtsi64_si128(static_cast<long long>(bytes));
    } else {
      std::uint32_t bytes;
      std::memcpy(&bytes, job.alpha + column, sizeof bytes);
      if (bytes == 0) continue;
      alphas = _mm_cvtsi32_si128(static_cast<int>(bytes));
    }
    const __m256i weights = _mm256_mullo_epi32(_mm256_cvtepu8_epi32(alphas), weight);
    const bool opaque = !_mm256_testz_si256(_mm256_cmpeq_epi32(weights, m.opaque),
                                            _mm256_cmpeq_epi32(weights, m.opaque));
    const __m256i pairs =
        _mm256_or_si256(_mm256_slli_epi32(weights, 16), _mm256_sub_epi32(whole, weights));
    const std::uint8_t* logo = job.logo + 3 * column;
    __m128i low, middle, high;
    if constexpr (Shift == 0) {
      low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(logo));
      middle = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(logo + 8));
      high = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(logo + 16));
    } else {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(logo));
      low = _mm_shuffle_epi8(bytes, spreadLow);
      middle = _mm_srli_si128(low, 8);
      high = _mm_shuffle_epi8(bytes, spreadHigh);
    }
    for (std::uint8_t* row : {job.out, job.nextOut}) {
      if (row == nullptr) continue;
      std::uint8_t* out = row + 3 * x;
      const __m256i k0 =
          MixEight(out, low, _mm256_permutevar8x32_epi32(pairs, pixelOf0), opaque, m);
      const __m256i k1 =
          MixEight(out + 8, middle, _mm256_permutevar8x32_epi32(pairs, pixelOf1), opaque, m);
      const __m256i k2 =
          MixEight(out + 16, high, _mm256_permutevar8x32_epi32(pairs, pixelOf2), opaque, m);
      // 24 values of at most 255 into 24 bytes. The packs work within each 128-bit half, which
      // leaves the groups of four channels in the order 0-3 8-11 16-19 16-19 4-7 12-15 20-23
      // 20-23; the permute puts them back.
      const __m256i bytes =
          _mm256_packus_epi16(_mm256_packus_epi32(k0, k1), _mm256_packus_epi32(k2, k2));
      const __m256i ordered = _mm256_permutevar8x32_epi32(bytes, byteOrder);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(ordered));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(ordered, 1));
    }
  }
  return x;
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

void MixPictureRow(const RowJob& job, std::int64_t x, std::int64_t end, std::int64_t logoColumns) {
  // A doubled logo's blocks start on a logo pixel's first picture column.
  if (job.shift == 1 && ((x - job.left) & 1) != 0 && x < end) job.Pixel(x++);
#if defined(__x86_64__)
  // Opaque halves by the blend's own arithmetic are rare weights (1 to 6): one way for them.
  if (kHasAvx2 && job.mix->halves != OpaqueHalves::kBlendArithmetic) {
    x = job.shift == 0 ? MixBlocksAvx2<0>(job, x, end, logoColumns)
                       : MixBlocksAvx2<1>(job, x, end, logoColumns);
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
    // Logo columns left in the picture's memory from this row on, for the 16-byte reads.
    const std::int64_t logoColumns = std::int64_t{image.Width()} * (image.Height() - logoRow);
    MixPictureRow(job, x0, x1, logoColumns);
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
