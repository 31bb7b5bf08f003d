// Camera raw files become linear planes: the expected values follow from
// the levels and neutral written into each DNG, not from LibRaw.
#include "RawInput.h"
#include "DngMaker.h"
#include "LinearProfile.h"
#include "TempDir.h"
#include "VekExceptions.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct TDecoded {
  int Width = 0;
  int Height = 0;
  TPlane16 Red, Green, Blue;
  TPictureMeta Meta;

  std::array<double, 3> At(int X, int Y) const {
    const size_t I = static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X);
    return {double(Red[I]), double(Green[I]), double(Blue[I])};
  }
};

TDecoded Decode(const std::string& File) {
  TDecoded D;
  SCOPED_TRACE(File);
  TRawInput Raw(File);
  D.Width = Raw.Width();
  D.Height = Raw.Height();
  D.Meta = Raw.Meta();
  Raw.Read(D.Red, D.Green, D.Blue, nullptr);
  return D;
}

TDecoded DecodePicture(const TDngPicture& Picture) {
  const TTempDir Dir;
  const std::string File = Dir.File("shot.dng");
  WriteDng(File, Picture);
  return Decode(File);
}

// Within 0.5 % of Expected, and a step of rounding near black.
void ExpectNear(const std::array<double, 3>& Got, const std::array<double, 3>& Expected) {
  for (size_t C = 0; C < 3; ++C)
    EXPECT_NEAR(Got[C], Expected[C], std::max(2.0, Expected[C] * 0.005)) << "channel " << C;
}

std::array<double, 3> Scaled(const std::array<double, 3>& Light) {
  std::array<double, 3> Out{};
  for (size_t C = 0; C < 3; ++C)
    Out[C] = std::min(Light[C], 1.0) * 65535;
  return Out;
}

struct TLevelCase {
  uint16_t Black;
  uint16_t White;
  std::array<double, 3> Light;
};

class RawLevels : public testing::TestWithParam<TLevelCase> {};

// Flat patches: grey stays grey at its level, black reads 0, light at or
// past the white level reads full scale in its own channel only.
TEST_P(RawLevels, FlatPatchReadsItsLevel) {
  const TLevelCase& Case = GetParam();
  const TDngPicture P = TDngPicture::Of(
      32, 24, [&](uint32_t, uint32_t) { return Case.Light; }, Case.Black, Case.White);
  const TDecoded D = DecodePicture(P);
  ASSERT_EQ(D.Width, 32);
  ASSERT_EQ(D.Height, 24);
  ExpectNear(D.At(16, 12), Scaled(Case.Light));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawLevels,
    testing::Values(TLevelCase{256, 4095, {0.1, 0.1, 0.1}}, TLevelCase{256, 4095, {0.2, 0.2, 0.2}},
                    TLevelCase{256, 4095, {0.4, 0.4, 0.4}}, TLevelCase{256, 4095, {0.8, 0.8, 0.8}},
                    TLevelCase{256, 4095, {0, 0, 0}}, TLevelCase{256, 4095, {1, 1, 1}},
                    TLevelCase{256, 4095, {1.6, 1.6, 1.6}}, TLevelCase{256, 4095, {1.5, 0.3, 0.2}},
                    TLevelCase{2048, 16383, {0.25, 0.25, 0.25}},
                    TLevelCase{0, 65535, {0.5, 0.5, 0.5}}));

// A ramp in one picture: every column reads its own light, so twice the
// light reads twice the value.
TEST(RawInput, RampIsProportionalToLight) {
  auto Level = [](uint32_t X) { return 0.05 + 0.9 * X / 63.0; };
  const TDecoded D = DecodePicture(TDngPicture::Of(64, 24, [&](uint32_t X, uint32_t) {
    return std::array<double, 3>{Level(X), Level(X), Level(X)};
  }));
  for (int X = 4; X < 60; X += 7)
    ExpectNear(D.At(X, 12), Scaled({Level(X), Level(X), Level(X)}));
  const double Twice = D.At(44, 12)[1] / D.At(14, 12)[1];
  EXPECT_NEAR(Twice, Level(44) / Level(14), 0.005 * Twice);
}

// Orientation 6 turns the stored picture clockwise: its left columns
// become the top rows.
TEST(RawInput, TurnedAsTheCameraRecorded) {
  TDngPicture P = TDngPicture::Of(48, 24, [](uint32_t X, uint32_t) {
    const double G = X < 24 ? 0.2 : 0.6;
    return std::array<double, 3>{G, G, G};
  });
  P.Orientation = 6;
  const TDecoded D = DecodePicture(P);
  ASSERT_EQ(D.Width, 24);
  ASSERT_EQ(D.Height, 48);
  ExpectNear(D.At(12, 8), Scaled({0.2, 0.2, 0.2}));
  ExpectNear(D.At(12, 40), Scaled({0.6, 0.6, 0.6}));
}

TEST(RawInput, CarriesCameraFieldsAndLinearProfile) {
  TDngPicture P = TDngPicture::Of(32, 32, FlatGrey(0.3));
  P.Artist = "A. Photographer";
  P.DateTime = "2024:05:06 07:08:09";
  const TTempDir Dir;
  WriteDng(Dir.File("meta.dng"), P);
  const TRawInput Raw(Dir.File("meta.dng"));
  const TPictureMeta& M = Raw.Meta();
  EXPECT_EQ(M.Make, P.Make);
  EXPECT_EQ(M.Model, P.Model);
  EXPECT_EQ(M.Artist, P.Artist);
  EXPECT_EQ(M.DateTimeOriginal, P.DateTime);
  EXPECT_EQ(M.Orientation, 0);
  EXPECT_EQ(M.IccProfile, LinearSrgbProfile());
}

struct TDamage {
  const char* Name;
  std::function<void(const std::string&)> Apply;
};

class RawDamage : public testing::TestWithParam<TDamage> {};

// Refused with the file's name and LibRaw's cause, planes empty, whether
// at the header or while decoding.
TEST_P(RawDamage, RefusedNamingTheFile) {
  const TTempDir Dir;
  const std::string File = Dir.File("broken.DNG");
  WriteDng(File, TDngPicture::Of(64, 64, FlatGrey(0.3)));
  GetParam().Apply(File);
  TPlane16 Red = AllocPlane16(1, 1), Green = AllocPlane16(1, 1), Blue = AllocPlane16(1, 1);
  try {
    TRawInput Raw(File);
    try {
      Raw.Read(Red, Green, Blue, nullptr);
    } catch (const Exception&) {
      EXPECT_TRUE(!Red && !Green && !Blue);
      throw;
    }
    FAIL() << "read";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), MsgRawUnreadable(File));
    EXPECT_FALSE(E.Cause().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawDamage,
    testing::Values(TDamage{"CutShort",
                            [](const std::string& F) {
                              std::filesystem::resize_file(F, std::filesystem::file_size(F) / 2);
                            }},
                    TDamage{"NotRaw",
                            [](const std::string& F) { WriteBytes(F, "no camera wrote this"); }},
                    TDamage{"HeaderGone",
                            [](const std::string& F) {
                              std::string Bytes = ReadBytes(F);
                              Bytes.replace(0, 8, "XXXXXXXX");
                              WriteBytes(F, Bytes);
                            }},
                    TDamage{"Empty", [](const std::string& F) { WriteBytes(F, ""); }}),
    [](const testing::TestParamInfo<TDamage>& Info) { return Info.param.Name; });

} // namespace
