#include "logo/stamp_logo.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
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

void MixBytes(std::uint8_t* out, const std::uint8_t* logo, const std::uint16_t* weights,
              std::size_t count, const Mix& mix) {
  for (std::size_t j = 0; j < count; ++j) out[j] = MixOne(out[j], logo[j], weights[j], mix);
}

#if defined(__x86_64__)
// Eight channels at a time in 32-bit lanes. n = u (25500 - w) + l w stays below 2^23, so the
// float quotient is within one of n / 25500 and the remainder puts it right.
__attribute__((target("avx2"))) void MixBytesAvx2(std::uint8_t* out, const std::uint8_t* logo,
                                                  const std::uint16_t* weights, std::size_t count,
                                                  const Mix& mix) {
  const __m256i whole = _mm256_set1_epi32(kWhole);
  const __m256i wholeLess1 = _mm256_set1_epi32(kWhole - 1);
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i opaque = _mm256_set1_epi32(mix.opaqueWeight);
  const __m256 inverse = _mm256_set1_ps(1.0f / kWhole);
  const bool directed =
      mix.halves == OpaqueHalves::kTowardsLogo || mix.halves == OpaqueHalves::kAwayFromLogo;
  const bool towards = mix.halves == OpaqueHalves::kTowardsLogo;
  std::size_t j = 0;
  for (; j + 8 <= count; j += 8) {
    const __m256i u =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(out + j)));
    const __m256i l =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(logo + j)));
    const __m256i w =
        _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + j)));
    const __m256i n = _mm256_add_epi32(_mm256_mullo_epi32(u, _mm256_sub_epi32(whole, w)),
                                       _mm256_mullo_epi32(l, w));
    __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(n), inverse));
    __m256i r = _mm256_sub_epi32(n, _mm256_mullo_epi32(q, whole));
    const __m256i low = _mm256_cmpgt_epi32(_mm256_setzero_si256(), r);
    q = _mm256_add_epi32(q, low);  // -1 where the remainder went negative
    r = _mm256_add_epi32(r, _mm256_and_si256(low, whole));
    const __m256i high = _mm256_cmpgt_epi32(r, wholeLess1);
    q = _mm256_sub_epi32(q, high);
    r = _mm256_sub_epi32(r, _mm256_and_si256(high, whole));
    const __m256i twice = _mm256_add_epi32(r, r);
    __m256i tie = _mm256_cmpeq_epi32(_mm256_and_si256(q, one), one);
    if (directed) {
      const __m256i side = towards ? _mm256_cmpgt_epi32(l, u) : _mm256_cmpgt_epi32(u, l);
      tie = _mm256_blendv_epi8(tie, side, _mm256_cmpeq_epi32(w, opaque));
    }
    const __m256i up = _mm256_or_si256(_mm256_cmpgt_epi32(twice, whole),
                                       _mm256_and_si256(_mm256_cmpeq_epi32(twice, whole), tie));
    q = _mm256_sub_epi32(q, up);
    // Eight values of at most 255 into eight bytes: the packs work within each 128-bit half.
    const __m256i words = _mm256_packus_epi32(q, q);
    const __m256i bytes = _mm256_packus_epi16(words, words);
    const __m128i packed =
        _mm_unpacklo_epi32(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), packed);
  }
  MixBytes(out + j, logo + j, weights + j, count - j, mix);
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

void MixRow(std::uint8_t* out, const std::uint8_t* logo, const std::uint16_t* weights,
            std::size_t count, const Mix& mix) {
#if defined(__x86_64__)
  // Opaque halves by the blend's own arithmetic are rare weights (1 to 6): one way for them.
  if (kHasAvx2 && mix.halves != OpaqueHalves::kBlendArithmetic) {
    MixBytesAvx2(out, logo, weights, count, mix);
    return;
  }
#endif
  MixBytes(out, logo, weights, count, mix);
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

// The logo rows mixed row by row: each logo row is spread once into the channel bytes and
// weights of the picture columns it covers, then mixed into every picture row it covers.
void MixImage(Bitmap& output, const Placement& place, int p) {
  const LogoImage& image = *place.image;
  const std::int64_t k = std::int64_t{1} << place.shift;
  const std::int64_t x0 = std::max<std::int64_t>(place.left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(place.left + k * image.Width(), output.Width());
  const std::int64_t y0 = std::max<std::int64_t>(place.top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(place.top + k * image.Height(), output.Height());
  if (x0 >= x1 || y0 >= y1) return;

  const Mix mix{255 * p, OpaqueHalvesFor(p), LogoWeight(p)};
  std::array<std::uint16_t, 256> weightOfAlpha;
  for (int a = 0; a < 256; ++a)
    weightOfAlpha[static_cast<std::size_t>(a)] = static_cast<std::uint16_t>(p * a);
  const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 3;
  std::vector<std::uint8_t> channels(bytes);
  std::vector<std::uint16_t> weights(bytes);
  std::int64_t spreadRow = -1;
  for (std::int64_t y = y0; y < y1; ++y) {
    const std::int64_t logoRow = (y - place.top) >> place.shift;
    if (logoRow != spreadRow) {
      const std::uint8_t* in = image.colour.Row(static_cast<int>(logoRow));
      const std::uint8_t* alpha =
          image.HasAlpha() ? image.AlphaRow(static_cast<int>(logoRow)) : nullptr;
      std::size_t j = 0;
      for (std::int64_t x = x0; x < x1; ++x, j += 3) {
        const std::int64_t logoColumn = (x - place.left) >> place.shift;
        const std::uint8_t* pixel = in + 3 * logoColumn;
        const bool white = (pixel[0] & pixel[1] & pixel[2]) == 255;
        const std::uint16_t w = alpha != nullptr ? weightOfAlpha[alpha[logoColumn]]
                                                 : static_cast<std::uint16_t>(white ? 0 : 255 * p);
        channels[j] = pixel[0];
        channels[j + 1] = pixel[1];
        channels[j + 2] = pixel[2];
        weights[j] = weights[j + 1] = weights[j + 2] = w;
      }
      spreadRow = logoRow;
    }
    MixRow(output.Row(static_cast<int>(y)) + 3 * x0, channels.data(), weights.data(), bytes, mix);
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
