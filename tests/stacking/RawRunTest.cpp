// Runs of camera raw files: linear sums, their preview through sRGB's
// curve, and the refusals of mixed and damaged brackets before anything
// is written.
#include "ScriptedHost.h"

#include "DngMaker.h"
#include "JpegMaker.h"
#include "RawInput.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffMaker.h"
#include "TiffProbe.h"
#include "VekExceptions.h"
#include "VekSystem.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class RawRun : public ::testing::Test {
protected:
  void SetUp() override {
    App->SetIniFile(Dir.File("VadevEzuzeva.ini"));
    App->ErrorFileName = Dir.File("Errors.Txt");
  }

  // 64 x 32: a grey patch of Left on the left half, Right on the right.
  std::string Dng(const std::string& Name, double Left, double Right) {
    WriteDng(Dir.File(Name), TDngPicture::Of(64, 32, [=](uint32_t X, uint32_t) {
               const double G = X < 32 ? Left : Right;
               return std::array<double, 3>{G, G, G};
             }));
    return Dir.File(Name);
  }

  std::string Jpeg(const std::string& Name) {
    WriteJpeg(Dir.File(Name), TJpegPicture::Solid(64, 32, TJpegKind::Rgb, {9, 9, 9}), {100});
    return Dir.File(Name);
  }

  // Runs with Files picked; the failure's message, or empty.
  std::string Run(std::vector<std::string> Files) {
    Host.OpenAnswers.push_back({true, std::move(Files), 1});
    Host.SaveAnswer = Dir.File("out.tif");
    try {
      RunStacking(Host);
    } catch (const Exception& E) {
      return E.Message();
    }
    return {};
  }

  void ExpectNothingWritten() {
    EXPECT_FALSE(std::filesystem::exists(Dir.File("out.tif")));
    EXPECT_TRUE(Host.Calls("save").empty());
    EXPECT_EQ(Host.CurrentCursor, crDefault);
  }

  TVekSystemScope System;
  TTempDir Dir;
  TScriptedHost Host;
};

// Twice the light in the second exposure: the sums are 0.3 and 0.6 of
// full scale, so the left patch is written at half the right one's value,
// grey in every channel, and previewed at sRGB's encoding of one half.
TEST_F(RawRun, BracketAddsInLinearLight) {
  ASSERT_EQ(Run({Dng("a.dng", 0.1, 0.2), Dng("b.NEF.dng", 0.2, 0.4)}), "");
  const TTiffProbe Out = ProbeTiff(Dir.File("out.tif"));
  ASSERT_EQ(Out.Width, 64u);
  auto At = [&](const std::vector<uint16_t>& Plane, int X) { return double(Plane[16 * 64 + X]); };
  for (const int X : {16, 48}) {
    EXPECT_NEAR(At(Out.Red, X), At(Out.Green, X), 0.005 * At(Out.Green, X));
    EXPECT_NEAR(At(Out.Blue, X), At(Out.Green, X), 0.005 * At(Out.Green, X));
  }
  EXPECT_NEAR(At(Out.Green, 48), 65535, 2);
  EXPECT_NEAR(At(Out.Green, 16) / At(Out.Green, 48), 0.5, 0.0025);

  const double Half = (1.055 * std::pow(0.5, 1 / 2.4) - 0.055) * 255;
  ASSERT_EQ(Host.Picture.size(), 64u * 32 * 3);
  const size_t Left = 3 * (16 * 64 + 16);
  for (size_t C = 0; C < 3; ++C) {
    EXPECT_NEAR(Host.Picture[Left + C], Half, 2.0);
    EXPECT_GE(Host.Picture[Left + 3 * 32 + C], 254);
  }
}

struct TMixCase {
  const char* Name;
  std::vector<std::string> Files; // raw, TIFF or JPEG by extension; "gone…" missing
  std::string Named;
};

class RawMix : public RawRun, public testing::WithParamInterface<TMixCase> {};

// Refused before any file is read: no picture, no settings, no result.
TEST_P(RawMix, RefusedNamingTheFirstFileOfTheOtherKind) {
  std::vector<std::string> Files;
  for (const std::string& Name : GetParam().Files) {
    if (Name.ends_with(".dng"))
      Dng(Name, 0.2, 0.4);
    else if (Name.ends_with(".tif"))
      WriteTiff(Dir.File(Name), TTiffPicture::Pattern(64, 32));
    else if (!Name.starts_with("gone"))
      Jpeg(Name);
    Files.push_back(Dir.File(Name));
  }
  EXPECT_EQ(Run(Files), "Rohdateien und JPEG/TIFF-Dateien lassen sich nicht mischen: '" +
                            Dir.File(GetParam().Named) + "'\r\nBearbeitung wird abgebrochen");
  EXPECT_TRUE(Host.Calls("picture").empty());
  EXPECT_EQ(App->ReadIniString("Config", "Path", "<missing>"), "<missing>");
  ExpectNothingWritten();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawMix,
    testing::Values(TMixCase{"JpegFirst", {"a.jpg", "b.dng", "c.dng"}, "b.dng"},
                    TMixCase{"RawFirst", {"a.dng", "b.dng", "c.tif", "d.jpg"}, "c.tif"},
                    TMixCase{"UnreadableDoesNotDecide", {"gone.jpg", "a.dng", "b.jpg"}, "b.jpg"}),
    [](const testing::TestParamInfo<TMixCase>& Info) { return Info.param.Name; });

// A cut-short raw file ends the run with its name, as a JPEG that cannot
// be decoded does; nothing is written.
TEST_F(RawRun, CutShortFileEndsTheRunNamingIt) {
  const std::string A = Dng("a.dng", 0.2, 0.4);
  const std::string B = Dng("b.dng", 0.2, 0.4);
  std::filesystem::resize_file(B, std::filesystem::file_size(B) - 1000);
  EXPECT_EQ(Run({A, B}), MsgRawUnreadable(B));
  EXPECT_EQ(Host.Info, "Processing b.dng");
  ExpectNothingWritten();
}

// A raw file of another size is refused by its header, as a JPEG or TIFF
// is: the message names it and its size.
TEST_F(RawRun, OtherSizeEndsTheRunNamingIt) {
  const std::string A = Dng("a.dng", 0.2, 0.4);
  WriteDng(Dir.File("b.dng"), TDngPicture::Of(48, 32, FlatGrey(0.3)));
  EXPECT_EQ(Run({A, Dir.File("b.dng")}),
            "Falsche Bildgröße in '" + Dir.File("b.dng") +
                "': 48 x 32 statt 64 x 32\r\nBearbeitung wird abgebrochen");
  ExpectNothingWritten();
}

} // namespace
