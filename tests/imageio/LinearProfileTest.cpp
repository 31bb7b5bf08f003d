// The profile of raw runs, read back through lcms2: linear curves, and
// sRGB's primaries as the ICC's D50 connection space holds them.
#include "LinearProfile.h"

#include <array>
#include <gtest/gtest.h>
#include <lcms2.h>
#include <memory>

namespace {

struct TProfileCloser {
  void operator()(cmsHPROFILE Profile) const { cmsCloseProfile(Profile); }
};
using TProfile = std::unique_ptr<void, TProfileCloser>;

TProfile OpenLinear() {
  const std::vector<uint8_t>& Bytes = LinearSrgbProfile();
  return TProfile(cmsOpenProfileFromMem(Bytes.data(), static_cast<cmsUInt32Number>(Bytes.size())));
}

TEST(LinearProfile, ToneCurvesAreLinear) {
  const TProfile Profile = OpenLinear();
  ASSERT_TRUE(Profile);
  EXPECT_EQ(cmsGetColorSpace(Profile.get()), cmsSigRgbData);
  for (const cmsTagSignature Tag : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag}) {
    const auto* Curve = static_cast<const cmsToneCurve*>(cmsReadTag(Profile.get(), Tag));
    ASSERT_NE(Curve, nullptr);
    for (const float X : {0.0F, 0.01F, 0.18F, 0.5F, 1.0F})
      EXPECT_NEAR(cmsEvalToneCurveFloat(Curve, X), X, 1e-4);
  }
}

// sRGB's primaries adapted to D50 (the matrix of IEC 61966-2-1's ICC
// profile), and linear 0.5 encoded by sRGB's curve: 0.7354.
TEST(LinearProfile, PrimariesAreSrgb) {
  const TProfile Linear = OpenLinear();
  const TProfile Xyz(cmsCreateXYZProfile());
  const TProfile Srgb(cmsCreate_sRGBProfile());
  const std::unique_ptr<void, decltype(&cmsDeleteTransform)> ToXyz(
      cmsCreateTransform(Linear.get(), TYPE_RGB_DBL, Xyz.get(), TYPE_XYZ_DBL,
                         INTENT_RELATIVE_COLORIMETRIC, 0),
      &cmsDeleteTransform);
  ASSERT_TRUE(ToXyz);
  const std::array<std::array<double, 3>, 3> Expected = {
      {{0.4361, 0.2225, 0.0139}, {0.3851, 0.7169, 0.0971}, {0.1431, 0.0606, 0.7142}}};
  for (size_t C = 0; C < 3; ++C) {
    double Rgb[3] = {0, 0, 0};
    Rgb[C] = 1;
    cmsCIEXYZ Out{};
    cmsDoTransform(ToXyz.get(), Rgb, &Out, 1);
    EXPECT_NEAR(Out.X, Expected[C][0], 2e-3) << C;
    EXPECT_NEAR(Out.Y, Expected[C][1], 2e-3) << C;
    EXPECT_NEAR(Out.Z, Expected[C][2], 2e-3) << C;
  }
  const std::unique_ptr<void, decltype(&cmsDeleteTransform)> ToSrgb(
      cmsCreateTransform(Linear.get(), TYPE_RGB_DBL, Srgb.get(), TYPE_RGB_DBL,
                         INTENT_RELATIVE_COLORIMETRIC, 0),
      &cmsDeleteTransform);
  const double Grey[3] = {0.5, 0.5, 0.5};
  double Encoded[3] = {};
  cmsDoTransform(ToSrgb.get(), Grey, Encoded, 1);
  for (const double V : Encoded)
    EXPECT_NEAR(V, 0.7354, 2e-3);
}

} // namespace
