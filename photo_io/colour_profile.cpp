#include "photo_io/colour_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace rumora {
namespace {

// Handles of the colour engine, released with their owners.
struct ContextRelease {
  void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileRelease {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformRelease {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
struct CurveRelease {
  void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using Context = std::unique_ptr<_cmsContext_struct, ContextRelease>;
using Profile = std::unique_ptr<void, ProfileRelease>;
using Transform = std::unique_ptr<void, TransformRelease>;
using Curve = std::unique_ptr<cmsToneCurve, CurveRelease>;

// The engine's failures are seen in the null handles it returns; its messages are not shown.
void IgnoreMessage(cmsContext, cmsUInt32Number, const char*) {}

Context NewContext() {
  Context context(cmsCreateContext(nullptr, nullptr));
  if (context) cmsSetLogErrorHandlerTHR(context.get(), IgnoreMessage);
  return context;
}

constexpr cmsUInt32Number kIntent = INTENT_RELATIVE_COLORIMETRIC;
constexpr cmsUInt32Number kFlags = cmsFLAGS_HIGHRESPRECALC | cmsFLAGS_BLACKPOINTCOMPENSATION;

// The engine's own transform, for profiles built of tables. It keeps no state between calls
// (no one-pixel cache), so threads may share it.
class EngineConversion final : public ColourConversion {
 public:
  EngineConversion(Context context, Transform transform)
      : context_(std::move(context)), transform_(std::move(transform)) {}
  void ConvertPixels(std::uint8_t* bgr, std::size_t pixels) const override {
    constexpr std::size_t kChunk = 1 << 20;  // the engine counts pixels in 32 bits
    for (std::size_t done = 0; done < pixels; done += kChunk) {
      const auto count = static_cast<cmsUInt32Number>(std::min(kChunk, pixels - done));
      cmsDoTransform(transform_.get(), bgr + 3 * done, bgr + 3 * done, count);
    }
  }

 private:
  Context context_;  // outlives the transform
  Transform transform_;
};

// One table per channel, for a grey photo whose profile is grey: each grey level's colour.
class GreyConversion final : public ColourConversion {
 public:
  explicit GreyConversion(const std::array<std::uint8_t, 3 * 256>& bgrOfLevel)
      : bgrOfLevel_(bgrOfLevel) {}
  void ConvertPixels(std::uint8_t* bgr, std::size_t pixels) const override {
    for (std::uint8_t* p = bgr; p < bgr + 3 * pixels; p += 3) {
      for (int c = 0; c < 3; ++c) p[c] = bgrOfLevel_[3 * p[c] + c];
    }
  }

 private:
  std::array<std::uint8_t, 3 * 256> bgrOfLevel_;
};

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix product{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) product[i][j] += a[i][k] * b[k][j];
    }
  }
  return product;
}

std::optional<Matrix> Inverse(const Matrix& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!std::isfinite(det) || std::abs(det) < 1e-9) return std::nullopt;
  Matrix inverse{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
      inverse[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
    }
  }
  return inverse;
}

// The header's colour space and device class as numbers: a damaged header may hold any value,
// beyond what the library's enumerations can represent.
std::uint32_t ColourSpaceOf(cmsHPROFILE profile) {
  return static_cast<std::uint32_t>(cmsGetColorSpace(profile));
}
std::uint32_t DeviceClassOf(cmsHPROFILE profile) {
  return static_cast<std::uint32_t>(cmsGetDeviceClass(profile));
}

// The parts of a profile of three tone curves and a matrix: columns red, green, blue of the
// colorants in the profile connection space (XYZ, D50), and the curves (owned by the profile).
struct MatrixShaper {
  Matrix toXyz;
  std::array<const cmsToneCurve*, 3> curves;
};

// A profile the engine would convert by its matrix and curves: it has no table for the intent,
// which the engine would take instead.
std::optional<MatrixShaper> ReadMatrixShaper(cmsHPROFILE profile) {
  if (ColourSpaceOf(profile) != cmsSigRgbData || !cmsIsMatrixShaper(profile)) {
    return std::nullopt;
  }
  for (const cmsTagSignature table : {cmsSigAToB0Tag, cmsSigAToB1Tag, cmsSigAToB2Tag,
                                      cmsSigDToB0Tag, cmsSigDToB1Tag, cmsSigDToB2Tag}) {
    if (cmsIsTag(profile, table)) return std::nullopt;
  }
  MatrixShaper shaper{};
  const cmsTagSignature colorants[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                       cmsSigBlueColorantTag};
  const cmsTagSignature curves[] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
  for (int c = 0; c < 3; ++c) {
    const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, colorants[c]));
    shaper.curves[c] = static_cast<const cmsToneCurve*>(cmsReadTag(profile, curves[c]));
    if (xyz == nullptr || shaper.curves[c] == nullptr) return std::nullopt;
    shaper.toXyz[0][c] = xyz->X;
    shaper.toXyz[1][c] = xyz->Y;
    shaper.toXyz[2][c] = xyz->Z;
  }
  return shaper;
}

// Differences below these leave every 8-bit colour as it is (a quarter of a level at most):
// the colorants of sRGB profiles from different makers differ in the fourth decimal, their
// curves by less than a thousandth.
constexpr double kSameColorant = 1e-3;
constexpr double kSameCurve = 1e-3;

bool SameAs(const MatrixShaper& a, const MatrixShaper& b) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (std::abs(a.toXyz[i][j] - b.toXyz[i][j]) > kSameColorant) return false;
    }
  }
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) {
      const float x = static_cast<float>(v / 255.0);
      if (std::abs(cmsEvalToneCurveFloat(a.curves[c], x) - cmsEvalToneCurveFloat(b.curves[c], x)) >
          kSameCurve) {
        return false;
      }
    }
  }
  return true;
}

// A real number in 1.14 fixed point, rounded half up, as the engine makes its tables.
double Fixed14(double v) { return std::floor(v * 16384.0 + 0.5); }

// sRGB's encoding of linear light i / 16384 as an 8-bit sample, as the engine rounds it: to 16
// bits, then to 8.
const std::array<std::uint8_t, MatrixShaperConversion::kEncodeEntries>* SrgbEncoding(
    const cmsToneCurve* srgbCurve) {
  static const auto table = [srgbCurve]()
      -> std::optional<std::array<std::uint8_t, MatrixShaperConversion::kEncodeEntries>> {
    const Curve inverse(cmsReverseToneCurveEx(4096, srgbCurve));
    if (!inverse) return std::nullopt;
    std::array<std::uint8_t, MatrixShaperConversion::kEncodeEntries> encode{};
    for (int i = 0; i < MatrixShaperConversion::kEncodeEntries; ++i) {
      const float linear = static_cast<float>(i / 16384.0);
      const double v = std::clamp<double>(cmsEvalToneCurveFloat(inverse.get(), linear), 0, 1);
      const auto word = static_cast<std::uint32_t>(std::floor(v * 65535.0 + 0.5));
      encode[i] = static_cast<std::uint8_t>((word * 65281 + 8388608) >> 24);
    }
    return encode;
  }();
  return table ? &*table : nullptr;
}

// Black point compensation as the engine scales XYZ: each component a * v + b, so that the
// source's black point meets the destination's and the white (D50) stays.
struct BlackScaling {
  std::array<double, 3> a{1, 1, 1}, b{0, 0, 0};
};

BlackScaling BlackPointCompensation(cmsHPROFILE source, cmsHPROFILE destination) {
  cmsCIEXYZ in{}, out{};
  cmsDetectBlackPoint(&in, source, kIntent, 0);
  cmsDetectDestinationBlackPoint(&out, destination, kIntent, 0);
  BlackScaling scaling;
  if (in.X == out.X && in.Y == out.Y && in.Z == out.Z) return scaling;
  const cmsCIEXYZ* white = cmsD50_XYZ();
  const double inBlack[] = {in.X, in.Y, in.Z}, outBlack[] = {out.X, out.Y, out.Z};
  const double d50[] = {white->X, white->Y, white->Z};
  for (int i = 0; i < 3; ++i) {
    const double t = inBlack[i] - d50[i];
    scaling.a[i] = (outBlack[i] - d50[i]) / t;
    scaling.b[i] = -d50[i] * (outBlack[i] - inBlack[i]) / t;
  }
  return scaling;
}

// Our own conversion of a matrix-and-curves profile, or nothing when its numbers do not fit.
std::unique_ptr<ColourConversion> MatrixShaperToSrgb(const MatrixShaper& source,
                                                     const MatrixShaper& srgb,
                                                     const BlackScaling& black) {
  const auto* encode = SrgbEncoding(srgb.curves[0]);
  const std::optional<Matrix> fromXyz = Inverse(srgb.toXyz);
  if (encode == nullptr || !fromXyz) return nullptr;
  Matrix scaled = source.toXyz;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) scaled[i][j] *= black.a[i];
  }
  const Matrix matrix = Multiply(*fromXyz, scaled);
  MatrixShaperConversion::Tables tables;
  // The engine's 1.14 matrix, or a coarser one when an entry needs more than 16 bits (a space
  // as wide as ProPhoto's has entries above 2).
  double largest = 0;
  for (const auto& row : matrix) {
    for (const double m : row) largest = std::max(largest, std::abs(m));
  }
  if (!std::isfinite(largest)) return nullptr;
  while (tables.matrixShift > 1 && largest * (1 << tables.matrixShift) >= 32767) {
    --tables.matrixShift;
  }
  const auto fits = [](double v) { return std::isfinite(v) && std::abs(v) < (1 << 30); };
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) {
      const double linear =
          Fixed14(cmsEvalToneCurveFloat(source.curves[c], static_cast<float>(v / 255.0)));
      if (!fits(linear)) return nullptr;
      tables.linear[c][v] = static_cast<std::int32_t>(linear);
    }
    double offset = 0;
    for (int j = 0; j < 3; ++j) {
      tables.matrix[c][j] =
          static_cast<std::int32_t>(std::floor(matrix[c][j] * (1 << tables.matrixShift) + 0.5));
      offset += (*fromXyz)[c][j] * black.b[j];
    }
    const double scaledOffset = std::floor(std::ldexp(offset, 14 + tables.matrixShift) + 0.5);
    if (!fits(scaledOffset)) return nullptr;
    tables.offset[c] = static_cast<std::int32_t>(scaledOffset);
    tables.encode[c] = *encode;
  }
  if (!MatrixShaperConversion::Fits(tables)) return nullptr;
  return std::make_unique<MatrixShaperConversion>(tables);
}

// The engine's transform of a grey profile for the 256 grey levels.
std::unique_ptr<ColourConversion> GreyToSrgb(cmsContext context, cmsHPROFILE source,
                                             cmsHPROFILE srgb) {
  const Transform transform(
      cmsCreateTransformTHR(context, source, TYPE_GRAY_8, srgb, TYPE_BGR_8, kIntent, kFlags));
  if (!transform) return nullptr;
  std::array<std::uint8_t, 256> levels;
  for (int v = 0; v < 256; ++v) levels[v] = static_cast<std::uint8_t>(v);
  std::array<std::uint8_t, 3 * 256> bgr;
  cmsDoTransform(transform.get(), levels.data(), bgr.data(), 256);
  return std::make_unique<GreyConversion>(bgr);
}

SrgbConversionPlan Unusable() { return {nullptr, true}; }

// The plan for a profile opened in `context`, which moves into a conversion that needs it (the
// caller's profile, closed first, has no further use of it).
SrgbConversionPlan PlanFor(Context& context, const Profile& profile, bool grey) {
  const Profile srgb(cmsCreate_sRGBProfileTHR(context.get()));
  if (!srgb) return Unusable();
  const std::uint32_t kind = DeviceClassOf(profile.get());
  if (kind != cmsSigInputClass && kind != cmsSigDisplayClass && kind != cmsSigColorSpaceClass) {
    return Unusable();
  }
  const std::uint32_t space = ColourSpaceOf(profile.get());
  if (space == cmsSigGrayData) {
    if (!grey) return Unusable();
    auto conversion = GreyToSrgb(context.get(), profile.get(), srgb.get());
    if (!conversion) return Unusable();
    return {std::move(conversion), false};
  }
  if (space != cmsSigRgbData) return Unusable();

  const std::optional<MatrixShaper> source = ReadMatrixShaper(profile.get());
  const std::optional<MatrixShaper> target = ReadMatrixShaper(srgb.get());
  if (source && target && SameAs(*source, *target)) return {};
  // The engine's transform is made in every case: it is what checks that the profile is whole.
  Transform transform(cmsCreateTransformTHR(context.get(), profile.get(), TYPE_BGR_8, srgb.get(),
                                            TYPE_BGR_8, kIntent, kFlags | cmsFLAGS_NOCACHE));
  if (!transform) return Unusable();
  if (source && target) {
    if (auto own = MatrixShaperToSrgb(*source, *target,
                                      BlackPointCompensation(profile.get(), srgb.get()))) {
      return {std::move(own), false};
    }
  }
  return {std::make_unique<EngineConversion>(std::move(context), std::move(transform)), false};
}

}  // namespace

SrgbConversionPlan PlanSrgbConversion(std::span<const std::uint8_t> iccProfile, bool grey) {
  if (iccProfile.empty()) return {};
  Context context = NewContext();
  if (!context || iccProfile.size() > 0xFFFFFFFFu) return Unusable();
  const Profile profile(cmsOpenProfileFromMemTHR(context.get(), iccProfile.data(),
                                                 static_cast<cmsUInt32Number>(iccProfile.size())));
  if (!profile) return Unusable();
  return PlanFor(context, profile, grey);
}

CodedColours SrgbCodedColours() {
  return {{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.3290}, 13};
}

SrgbConversionPlan PlanSrgbConversion(const CodedColours& colours) {
  // The transfers that are tone curves: ITU-T H.273's codes and their parametric curves.
  std::vector<double> curve;
  int type = 1;
  switch (colours.transfer) {
    case 2:   // unspecified: taken as sRGB's, as the web takes it
    case 13:  // sRGB
      curve = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045}, type = 4;
      break;
    case 1:  // BT.709, BT.601, BT.2020: the camera's curve, inverted
    case 6:
    case 14:
    case 15:
      curve = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081}, type = 4;
      break;
    case 4:
      curve = {2.2};
      break;
    case 5:
      curve = {2.8};
      break;
    case 8:
      curve = {1.0};
      break;
    default:
      return Unusable();
  }
  Context context = NewContext();
  if (!context) return Unusable();
  const Curve tone(cmsBuildParametricToneCurve(context.get(), type, curve.data()));
  if (!tone) return Unusable();
  const cmsCIExyY white{colours.white[0], colours.white[1], 1.0};
  const cmsCIExyYTRIPLE primaries{{colours.red[0], colours.red[1], 1.0},
                                  {colours.green[0], colours.green[1], 1.0},
                                  {colours.blue[0], colours.blue[1], 1.0}};
  cmsToneCurve* curves[3] = {tone.get(), tone.get(), tone.get()};
  const Profile profile(cmsCreateRGBProfileTHR(context.get(), &white, &primaries, curves));
  if (!profile) return Unusable();
  return PlanFor(context, profile, false);
}

}  // namespace rumora
