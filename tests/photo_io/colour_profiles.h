#pragma once

// Colour profiles made by the colour engine, and JPEG files coded by the library with or without
// one; shared by the tests and the benchmarks. Any failure aborts: these build fixtures, they
// test nothing.

#include <lcms2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without declaring them
// clang-format on

#include "imaging/bitmap.h"

namespace rumora::testing {

// Primaries as chromaticities (the luminance is the profile's to set).
inline constexpr cmsCIExyYTRIPLE kDisplayP3{
    {0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
inline constexpr cmsCIExyYTRIPLE kAdobeRgb{{0.640, 0.330, 1}, {0.210, 0.710, 1}, {0.150, 0.060, 1}};
inline constexpr cmsCIExyYTRIPLE kSrgb{{0.640, 0.330, 1}, {0.300, 0.600, 1}, {0.150, 0.060, 1}};

// sRGB's tone curve as a parametric curve (type 4), and a plain gamma (type 1).
inline constexpr double kSrgbCurve[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};

// The bytes of a profile made by the engine, which is closed.
inline std::vector<std::uint8_t> SavedProfile(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  if (profile == nullptr || !cmsSaveProfileToMem(profile, nullptr, &size)) std::abort();
  std::vector<std::uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) std::abort();
  cmsCloseProfile(profile);
  return bytes;
}

// The ICC profile of an RGB space with these primaries, the D65 white point, and one tone curve
// of `curveType` with `parameters` for all three channels, stored as such or, `tabulated`, as a
// table of 1024 samples (as many makers store sRGB's).
inline std::vector<std::uint8_t> RgbProfile(const cmsCIExyYTRIPLE& primaries, int curveType,
                                            const double* parameters, bool tabulated = false) {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, curveType, parameters);
  if (tabulated) {
    float samples[1024];
    for (int i = 0; i < 1024; ++i) samples[i] = cmsEvalToneCurveFloat(curve, i / 1023.0f);
    cmsFreeToneCurve(curve);
    curve = cmsBuildTabulatedToneCurveFloat(nullptr, 1024, samples);
  }
  cmsToneCurve* curves[3] = {curve, curve, curve};
  std::vector<std::uint8_t> bytes = SavedProfile(cmsCreateRGBProfile(&white, &primaries, curves));
  cmsFreeToneCurve(curve);
  return bytes;
}

inline std::vector<std::uint8_t> DisplayP3Profile() {
  return RgbProfile(kDisplayP3, 4, kSrgbCurve);
}

// Adobe RGB (1998): its gamma is 563/256.
inline std::vector<std::uint8_t> AdobeRgbProfile() {
  const double gamma[] = {563.0 / 256.0};
  return RgbProfile(kAdobeRgb, 1, gamma);
}

// How the library codes a test's JPEG file: its defaults but for these.
struct LibraryJpeg {
  int quality = 90;
  bool arithmetic = false;
  bool progressive = false;             // the library's standard scans
  bool grey = false;                    // the luminance alone
  std::vector<std::uint8_t> profile{};  // an ICC profile, split over APP2 segments
};

// `picture` coded by the library, for files our readers must take or refuse.
inline std::vector<std::uint8_t> EncodeWithLibrary(const Bitmap& picture,
                                                   const LibraryJpeg& how = {}) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  errors.error_exit = [](j_common_ptr) { std::abort(); };
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, how.quality, TRUE);
  if (how.grey) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  cinfo.arith_code = how.arithmetic ? TRUE : FALSE;
  if (how.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  if (!how.profile.empty()) {
    jpeg_write_icc_profile(&cinfo, how.profile.data(), static_cast<unsigned>(how.profile.size()));
  }
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.Row(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

inline std::vector<std::uint8_t> EncodeWithProfile(const Bitmap& picture,
                                                   const std::vector<std::uint8_t>& profile,
                                                   int quality = 95) {
  return EncodeWithLibrary(picture, {.quality = quality, .profile = profile});
}

// The engine's own transform from a profile to sRGB on blue, green, red bytes (relative
// colorimetric, black point compensation, its most precise tables): the reference our
// conversion answers to.
class EngineTransform {
 public:
  explicit EngineTransform(const std::vector<std::uint8_t>& icc) {
    cmsHPROFILE source =
        cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    transform_ =
        cmsCreateTransform(source, TYPE_BGR_8, srgb, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC,
                           cmsFLAGS_HIGHRESPRECALC | cmsFLAGS_BLACKPOINTCOMPENSATION);
    cmsCloseProfile(srgb);
    cmsCloseProfile(source);
    if (transform_ == nullptr) std::abort();
  }
  ~EngineTransform() { cmsDeleteTransform(transform_); }
  EngineTransform(const EngineTransform&) = delete;
  EngineTransform& operator=(const EngineTransform&) = delete;
  void Apply(const Bitmap& in, Bitmap& out) const {
    cmsDoTransform(transform_, in.Data(), out.Data(),
                   static_cast<cmsUInt32Number>(in.SizeInBytes() / 3));
  }

 private:
  cmsHTRANSFORM transform_;
};

// Every 8-bit colour once: 4096 x 4096 pixels.
inline Bitmap AllColours() {
  Bitmap all(4096, 4096);
  for (int y = 0; y < 4096; ++y) {
    std::uint8_t* p = all.Row(y);
    for (int x = 0; x < 4096; ++x, p += 3) {
      const int colour = y * 4096 + x;
      p[0] = static_cast<std::uint8_t>(colour), p[1] = static_cast<std::uint8_t>(colour >> 8);
      p[2] = static_cast<std::uint8_t>(colour >> 16);
    }
  }
  return all;
}

}  // namespace rumora::testing
