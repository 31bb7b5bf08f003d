#include "LinearProfile.h"

#include <lcms2.h>
#include <memory>
#include <stdexcept>

namespace {

struct TProfileCloser {
  void operator()(cmsHPROFILE Profile) const { cmsCloseProfile(Profile); }
};
struct TCurveFreer {
  void operator()(cmsToneCurve* Curve) const { cmsFreeToneCurve(Curve); }
};
struct TMluFreer {
  void operator()(cmsMLU* Mlu) const { cmsMLUfree(Mlu); }
};

void Require(bool Ok) {
  if (!Ok)
    throw std::runtime_error("the linear ICC profile cannot be built");
}

std::vector<uint8_t> BuildProfile() {
  // sRGB's D65 white and primaries (IEC 61966-2-1), with gamma-1 curves.
  const cmsCIExyY White = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE Primaries = {
      {0.6400, 0.3300, 1.0}, {0.3000, 0.6000, 1.0}, {0.1500, 0.0600, 1.0}};
  const std::unique_ptr<cmsToneCurve, TCurveFreer> Linear(cmsBuildGamma(nullptr, 1.0));
  Require(Linear != nullptr);
  cmsToneCurve* Curves[3] = {Linear.get(), Linear.get(), Linear.get()};
  const std::unique_ptr<void, TProfileCloser> Profile(
      cmsCreateRGBProfile(&White, &Primaries, Curves));
  Require(Profile != nullptr);
  const std::unique_ptr<cmsMLU, TMluFreer> Description(cmsMLUalloc(nullptr, 1));
  Require(Description != nullptr);
  Require(cmsMLUsetASCII(Description.get(), "en", "US", "Linear sRGB") != 0);
  Require(cmsWriteTag(Profile.get(), cmsSigProfileDescriptionTag, Description.get()) != 0);
  cmsUInt32Number Size = 0;
  Require(cmsSaveProfileToMem(Profile.get(), nullptr, &Size) != 0);
  std::vector<uint8_t> Bytes(Size);
  Require(cmsSaveProfileToMem(Profile.get(), Bytes.data(), &Size) != 0);
  Bytes.resize(Size);
  return Bytes;
}

} // namespace

const std::vector<uint8_t>& LinearSrgbProfile() {
  static const std::vector<uint8_t> Profile = BuildProfile();
  return Profile;
}
