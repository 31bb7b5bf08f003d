// The run without a picture and with the next JPEG decoded ahead: what the
// host sees and what is written stay those of a plain file-by-file run.
#include "RunTest.h"
#include "ScriptedHost.h"

#include "ExpectedStack.h"
#include "JpegMaker.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffProbe.h"
#include "VekExceptions.h"
#include "VekSystem.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

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

class RunAhead : public TRunTest {
protected:
  // A grey picture of six 8 x 8 blocks, each of its own level, so that
  // every file decodes to its own bytes; solid blocks of grey at quality
  // 100 decode to exactly their levels.
  std::string Jpeg(const std::string& Name, int Seed) {
    TJpegPicture Picture = TJpegPicture::Solid(24, 16, TJpegKind::Grey, {0});
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 24; ++X)
        *Picture.At(X, Y) = Level(Seed, X, Y);
    const std::string FileName = Dir.File(Name);
    WriteJpeg(FileName, Picture, {100});
    Seeds[FileName] = Seed;
    return FileName;
  }

  static uint8_t Level(int Seed, int X, int Y) {
    return static_cast<uint8_t>((Seed * 37 + (Y / 8 * 3 + X / 8) * 41 + 13) & 0xFF);
  }

  // The output planes for the files as they were written, worked out from
  // their levels.
  TTiffProbe Expected(const std::vector<std::string>& Files) const {
    TExpectedStack Sums(24, 16);
    for (const std::string& File : Files)
      for (uint32_t Y = 0; Y < 16; ++Y)
        for (uint32_t X = 0; X < 24; ++X)
          for (int Channel = 0; Channel < 3; ++Channel)
            Sums.Add(X, Y, Channel,
                     Level(Seeds.at(File), static_cast<int>(X), static_cast<int>(Y)));
    const auto Planes = Sums.Output();
    TTiffProbe Result;
    Result.Red = Planes[0];
    Result.Green = Planes[1];
    Result.Blue = Planes[2];
    return Result;
  }

  static void ExpectPlanes(const TTiffProbe& Out, const TTiffProbe& Want) {
    EXPECT_EQ(Out.Red, Want.Red);
    EXPECT_EQ(Out.Green, Want.Green);
    EXPECT_EQ(Out.Blue, Want.Blue);
  }

  std::map<std::string, int> Seeds;
};

// A file passed over at the end leaves the last addition of a run without
// a picture to take the maximum afterwards.
TEST_F(RunAhead, AHostWithoutAPictureGetsNoPreviewButTheSameRun) {
  const std::vector<std::string> Files = {Jpeg("a.jpg", 1), Jpeg("b.jpg", 2), Jpeg("c.jpg", 3)};
  std::vector<std::string> Picked = Files;
  Picked.push_back(Dir.File("gone.jpg"));
  TScriptedHost Window;
  THiddenHost Hidden;
  for (TScriptedHost* Host : std::initializer_list<TScriptedHost*>{&Window, &Hidden}) {
    Host->OpenAnswers.push_back({true, Picked, 1});
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
