// What the result carries beside its pixels: the first input's profile and
// allowed camera fields, nothing else; the float result; and, for inputs
// without either, the very bytes a plain writer gives.
#include "ScriptedHost.h"

#include "ExpectedStack.h"
#include "JpegMaker.h"
#include "MetaMaker.h"
#include "MetaProbe.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffMaker.h"
#include "TiffProbe.h"
#include "VekSystem.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <tiffio.h>

namespace {

using TFields = std::map<uint32_t, std::string>;

class ResultMeta : public ::testing::Test {
protected:
  void SetUp() override {
    App->SetIniFile(Dir.File("VadevEzuzeva.ini"));
    App->ErrorFileName = Dir.File("Errors.Txt");
    SilenceTiffLibrary();
  }

  // A 300 x 200 JPEG with a pattern by Seed and the given segments.
  std::string Jpeg(const std::string& Name, uint8_t Seed,
                   const std::vector<std::pair<int, std::string>>& Segments = {}) {
    TJpegPicture Picture = TJpegPicture::Solid(300, 200, TJpegKind::Rgb, {Seed, 90, 200});
    for (int Y = 0; Y < 200; ++Y)
      for (int X = 0; X < 300; ++X)
        Picture.At(X, Y)[1] = static_cast<uint8_t>(X + Y * Seed);
    WriteBytes(Dir.File(Name), WithSegments(EncodeJpeg(Picture), Segments));
    return Dir.File(Name);
  }

  std::string Tiff(const std::string& Name, const TTiffPicture& Picture) {
    WriteTiff(Dir.File(Name), Picture);
    return Dir.File(Name);
  }

  // One run of Inputs into Name; the host after it.
  TScriptedHost Stack(const std::vector<std::string>& Inputs, const std::string& Name,
                      TSaveLayout Layout = slTiles, TTiffCompression Compression = tcNone,
                      bool Float = false) {
    TScriptedHost Host;
    Host.OpenAnswers.push_back({true, Inputs, 1});
    Host.SaveAnswer = Dir.File(Name);
    Host.SaveLayout = Layout;
    Host.SaveCompression = Compression;
    Host.Float = Float;
    RunStacking(Host);
    return Host;
  }

  TVekSystemScope System;
  TTempDir Dir;
};

TEST_F(ResultMeta, FirstJpegsProfileAndAllowedFieldsReachTheResultTheRestIsDropped) {
  // Three APP2 segments: more than 64 KiB.
  const std::vector<uint8_t> Profile = TestProfile(150000, 1);
  auto Segments = IccSegments(Profile);
  ASSERT_EQ(Segments.size(), 3u);
  using F = TExifField;
  Segments.push_back(
      ExifSegment({F::Text(271, "Velmora Cam"), F::Text(272, "VC 1"), F::Short(274, 6),
                   F::Text(315, "Ann Example"), F::Text(33432, "(c) 2026 Ann Example")},
                  {F::Text(36867, "2026:12:01 10:11:12"), F::Text(36881, "+01:00"),
                   F::Rational(33437, 56, 10), F::Rational(37386, 35, 1), F::Text(42035, "LensCo"),
                   F::Text(42036, "L 35mm"), F::Rational(33434, 1, 125),
                   F::Rational(37380, -2, 3, true), F::Undefined(37500, "maker's secrets")},
                  {F::Text(1, "N"), F::Rational(2, 48, 1)}));
  const std::string Later = Jpeg("b.jpg", 2, IccSegments(TestProfile(3000, 2)));
  const TScriptedHost Host = Stack({Jpeg("a.jpg", 1, Segments), Later}, "out.tif");

  TMetaProbe Probe = ProbeMeta(Dir.File("out.tif"));
  EXPECT_EQ(Probe.IccProfile, Profile);
  EXPECT_EQ(Probe.Fields[TIFFTAG_SOFTWARE].rfind("Velmora ", 0), 0u);
  Probe.Fields.erase(TIFFTAG_SOFTWARE);
  EXPECT_EQ(Probe.Fields, (TFields{{271, "Velmora Cam"},
                                   {272, "VC 1"},
                                   {274, "6"},
                                   {315, "Ann Example"},
                                   {33432, "(c) 2026 Ann Example"},
                                   {36867, "2026:12:01 10:11:12"},
                                   {36881, "+01:00"},
                                   {33437, std::to_string(5.6F)},
                                   {37386, std::to_string(35.0F)},
                                   {42035, "LensCo"},
                                   {42036, "L 35mm"}}));
  EXPECT_EQ(Host.Warnings, std::vector<std::string>{"'" + Later +
                                                    "' has another colour profile than the first "
                                                    "file; the result keeps the first file's"});
}

TEST_F(ResultMeta, TiffProfileAloneTravelsWithoutAnyOtherField) {
  TTiffPicture Picture = TTiffPicture::Pattern(300, 200, 16, 3, 1);
  Picture.IccProfile = TestProfile(5000, 3);
  const TScriptedHost Host = Stack({Tiff("a.tif", Picture), Tiff("b.tif", Picture)}, "out.tif");
  const TMetaProbe Probe = ProbeMeta(Dir.File("out.tif"));
  EXPECT_EQ(Probe.IccProfile, Picture.IccProfile);
  EXPECT_EQ(Probe.Fields, TFields{});
  EXPECT_EQ(ProbeTiff(Dir.File("out.tif")).Tags,
            (std::vector<uint16_t>{256, 257, 258, 259, 262, 277, 284, 322, 323, 324, 325, 34675}));
  EXPECT_TRUE(Host.Warnings.empty());
}

TEST_F(ResultMeta, FloatSamplesAreTheSixteenBitResultUnscaledBrightestExactlyOne) {
  const std::vector<std::string> Inputs = {Jpeg("a.jpg", 1), Jpeg("b.jpg", 3)};
  Stack(Inputs, "16.tif");
  const TTiffProbe Sixteen = ProbeTiff(Dir.File("16.tif"));
  struct TCase {
    TSaveLayout Layout;
    TTiffCompression Compression;
    uint16_t Predictor;
  };
  for (const TCase& Case :
       {TCase{slTiles, tcNone, 1}, TCase{slStrips, tcLZW, 3}, TCase{slTiles, tcDeflate, 3}}) {
    SCOPED_TRACE(std::to_string(Case.Layout) + " " + std::to_string(Case.Compression));
    Stack(Inputs, "float.tif", Case.Layout, Case.Compression, true);
    const TFloatProbe Float = ProbeFloatTiff(Dir.File("float.tif"));
    EXPECT_EQ(Float.Predictor, Case.Predictor);
    ASSERT_EQ(Float.Samples.size(), Sixteen.Red.size() * 3);
    float Largest = 0;
    int64_t Off = 0;
    for (size_t I = 0; I < Sixteen.Red.size(); ++I)
      for (const auto& [Plane, S] :
           {std::pair{&Sixteen.Red, 0}, {&Sixteen.Green, 1}, {&Sixteen.Blue, 2}}) {
        const float Value = Float.Samples[I * 3 + static_cast<size_t>(S)];
        Largest = std::max(Largest, Value);
        Off += std::fabs(Value - (*Plane)[I] / 65535.0) > 2 / 65535.0;
      }
    EXPECT_EQ(Off, 0);
    EXPECT_EQ(Largest, 1.0F);
  }
}

TEST_F(ResultMeta, InputsWithoutProfileOrFieldsGiveThePlainWritersBytes) {
  const TTiffPicture A = TTiffPicture::Pattern(300, 200, 16, 3, 1);
  const TTiffPicture B = TTiffPicture::Pattern(300, 200, 16, 3, 2);
  TExpectedStack Sum(300, 200);
  Sum.Add(A);
  Sum.Add(B);
  const auto Planes = Sum.Output();
  // The same samples written straight through libtiff, interleaved.
  TTiffPicture Expected = A;
  for (size_t I = 0; I < Planes[0].size(); ++I)
    for (size_t S = 0; S < 3; ++S)
      Expected.Samples[I * 3 + S] = Planes[S][I];
  const std::vector<std::string> Inputs = {Tiff("a.tif", A), Tiff("b.tif", B)};
  struct TCase {
    TSaveLayout Layout;
    TTiffCompression Compression;
    uint16_t Code;
  };
  for (const TCase& Case :
       {TCase{slTiles, tcNone, COMPRESSION_NONE}, TCase{slTiles, tcLZW, COMPRESSION_LZW},
        TCase{slTiles, tcDeflate, COMPRESSION_ADOBE_DEFLATE},
        TCase{slStrips, tcNone, COMPRESSION_NONE}}) {
    SCOPED_TRACE(Case.Code);
    Stack(Inputs, "out.tif", Case.Layout, Case.Compression);
    Expected.Compression = Case.Code;
    Expected.TileWidth = Expected.TileLength = Case.Layout == slTiles ? 256 : 0;
    // Strips of about 256 KiB: 262144 / (300 pixels x 6 bytes) rows.
    Expected.RowsPerStrip = 145;
    WriteTiff(Dir.File("expected.tif"), Expected);
    EXPECT_TRUE(ReadBytes(Dir.File("out.tif")) == ReadBytes(Dir.File("expected.tif")));
  }
}

} // namespace
