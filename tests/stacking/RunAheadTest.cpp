// The run without a picture and with the next JPEG decoded ahead: what the
// host sees and what is written stay those of a plain file-by-file run.
#include "ScriptedHost.h"

#include "ExposureAccumulator.h"
#include "JpegInput.h"
#include "JpegMaker.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffProbe.h"
#include "VekExceptions.h"
#include "VekSystem.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A host without a picture, or one that runs an action after a preview.
class THiddenHost : public TScriptedHost {
public:
  bool ShowsPicture() const override { return false; }
};

class TActingHost : public TScriptedHost {
public:
  void ShowPicture(const TBitmap24& Bitmap) override {
    TScriptedHost::ShowPicture(Bitmap);
    if (AfterPreview)
      std::exchange(AfterPreview, nullptr)();
  }
  std::function<void()> AfterPreview;
};

class RunAhead : public ::testing::Test {
protected:
  void SetUp() override {
    App->SetIniFile(Dir.File("VadevEzuzeva.ini"));
    App->ErrorFileName = Dir.File("Errors.Txt");
  }

  // A textured picture, so that every file decodes to its own bytes.
  std::string Jpeg(const std::string& Name, int Seed) {
    TJpegPicture Picture = TJpegPicture::Solid(24, 16, TJpegKind::Rgb, {0, 0, 0});
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 24; ++X)
        for (int C = 0; C < 3; ++C)
          Picture.At(X, Y)[C] = static_cast<uint8_t>((X * 7 + Y * 11 + C * 50 + Seed * 37) & 0xFF);
    const std::string FileName = Dir.File(Name);
    WriteJpeg(FileName, Picture, {95});
    return FileName;
  }

  // The output planes the accumulator gives for the files decoded one by one.
  static TTiffProbe Expected(const std::vector<std::string>& Files) {
    TExposureAccumulator Sums;
    TJpegImage Image;
    TBitmap24 Work;
    for (const std::string& File : Files) {
      LoadJpegBgr(Image, File, Work);
      Sums.Allocate(Work.Width(), Work.Height());
      for (int Y = 0; Y < Work.Height(); ++Y)
        Sums.AddBgrRow(Y, Work.Row(Y));
    }
    Sums.UpdateMaximum();
    TTiffProbe Result;
    const size_t Count = static_cast<size_t>(Sums.Width) * Sums.Height;
    Result.Red.resize(Count);
    Result.Green.resize(Count);
    Result.Blue.resize(Count);
    Sums.ExportPlanes16(Sums.ScaleFor(65535), Result.Red.data(), Result.Green.data(),
                        Result.Blue.data());
    return Result;
  }

  static void ExpectPlanes(const TTiffProbe& Out, const TTiffProbe& Want) {
    EXPECT_EQ(Out.Red, Want.Red);
    EXPECT_EQ(Out.Green, Want.Green);
    EXPECT_EQ(Out.Blue, Want.Blue);
  }

  TVekSystemScope System;
  TTempDir Dir;
};

TEST_F(RunAhead, AHostWithoutAPictureGetsNoPreviewButTheSameRun) {
  const std::vector<std::string> Files = {Jpeg("a.jpg", 1), Jpeg("b.jpg", 2), Jpeg("c.jpg", 3)};
  TScriptedHost Window;
  THiddenHost Hidden;
  for (TScriptedHost* Host : std::initializer_list<TScriptedHost*>{&Window, &Hidden}) {
    Host->OpenAnswers.push_back({true, Files, 1});
    Host->SaveAnswer = Dir.File(Host == &Window ? "window.tif" : "hidden.tif");
    RunStacking(*Host);
  }
  EXPECT_EQ(Window.Calls("picture").size(), 3u);
  EXPECT_TRUE(Hidden.Calls("picture").empty());
  EXPECT_EQ(
      Hidden.Calls("info"),
      (std::vector<std::string>{"info Processing a.jpg", "info Processing b.jpg",
                                "info Processing c.jpg", "info SAVING hidden.tif", "info READY"}));
  const TTiffProbe Out = ProbeTiff(Dir.File("hidden.tif"));
  ExpectPlanes(Out, ProbeTiff(Dir.File("window.tif")));
  ExpectPlanes(Out, Expected(Files));
}

TEST_F(RunAhead, AFailingFileFailsAtItsOwnTurnAfterThePreviewBefore) {
  const std::string A = Jpeg("a.jpg", 1);
  const std::string B = Jpeg("b.jpg", 2);
  const std::string Bad = Dir.File("c.jpg");
  WriteBytes(Bad, "not a JPEG file at all");
  TScriptedHost Host;
  Host.OpenAnswers.push_back({true, {A, B, Bad, Jpeg("d.jpg", 4)}, 1});
  try {
    RunStacking(Host);
    FAIL() << "no exception";
  } catch (const EJPEG& E) {
    EXPECT_EQ(E.Message(), "JPEG error #53");
  }
  // Two previews, then the start and the label of the bad file, and only
  // the cursor restored after it.
  const std::vector<std::string>& Log = Host.Log;
  ASSERT_GE(Log.size(), 4u);
  EXPECT_EQ(Log[Log.size() - 4], "picture 24x16");
  EXPECT_EQ(Log[Log.size() - 3], "start 3/4 " + Bad);
  EXPECT_EQ(Log[Log.size() - 2], "info Processing c.jpg");
  EXPECT_EQ(Log.back(), "cursor " + std::to_string(crDefault));
  EXPECT_EQ(Host.Info, "Processing c.jpg");
  EXPECT_EQ(Host.Calls("picture").size(), 2u);
}

TEST_F(RunAhead, AFileChangedAfterItWasDecodedAheadIsTakenAsItIsAtItsTurn) {
  // Whether the next file was already decoded when the preview before it
  // is shown does not matter: the run takes what the file holds then.
  const std::string A = Jpeg("a.jpg", 1);
  const std::string B = Jpeg("b.jpg", 2);
  const std::string Replacement = Jpeg("r.jpg", 9);
  TActingHost Changed;
  Changed.OpenAnswers.push_back({true, {A, B}, 1});
  Changed.SaveAnswer = Dir.File("changed.tif");
  Changed.AfterPreview = [&] {
    std::filesystem::copy_file(Replacement, B, std::filesystem::copy_options::overwrite_existing);
  };
  RunStacking(Changed);
  ExpectPlanes(ProbeTiff(Dir.File("changed.tif")), Expected({A, Replacement}));

  // A file that cannot be decoded ahead but can at its turn.
  const std::string C = Dir.File("c.jpg");
  WriteBytes(C, "not yet a JPEG file");
  TActingHost Repaired;
  Repaired.OpenAnswers.push_back({true, {A, C}, 1});
  Repaired.SaveAnswer = Dir.File("repaired.tif");
  Repaired.AfterPreview = [&] {
    std::filesystem::copy_file(Replacement, C, std::filesystem::copy_options::overwrite_existing);
  };
  EXPECT_NO_THROW(RunStacking(Repaired));
  ExpectPlanes(ProbeTiff(Dir.File("repaired.tif")), Expected({A, Replacement}));
}

} // namespace
