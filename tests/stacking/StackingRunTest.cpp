#include "RunTest.h"
#include "ScriptedHost.h"

#include "ExpectedStack.h"
#include "JpegMaker.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffMaker.h"
#include "TiffProbe.h"
#include "VekExceptions.h"
#include "VekSystem.h"
#include "VekUtil.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class StackingRun : public TRunTest {
protected:
  // A solid JPEG of the given colour; quality 100 keeps the bytes close.
  std::string Jpeg(const std::string& Name, int Width, int Height, uint8_t R, uint8_t G,
                   uint8_t B) {
    const std::string FileName = Dir.File(Name);
    WriteJpeg(FileName, TJpegPicture::Solid(Width, Height, TJpegKind::Rgb, {R, G, B}), {100});
    return FileName;
  }

  // A 16 x 8 grey JPEG, its left 8 x 8 block Left, its right one Right.
  // Solid blocks of grey at quality 100 decode to exactly their values.
  std::string GreyJpeg(const std::string& Name, uint8_t Left, uint8_t Right) {
    TJpegPicture Picture = TJpegPicture::Solid(16, 8, TJpegKind::Grey, {Left});
    for (int Y = 0; Y < 8; ++Y)
      for (int X = 8; X < 16; ++X)
        *Picture.At(X, Y) = Right;
    WriteJpeg(Dir.File(Name), Picture, {100});
    return Dir.File(Name);
  }

  void Pick(std::vector<std::string> Files, int FilterIndex = 1) {
    Host.OpenAnswers.push_back({true, std::move(Files), FilterIndex});
  }

  std::string Setting(const std::string& Key) {
    return App->ReadIniString("Config", Key, "<missing>");
  }

  TScriptedHost Host;
};

TEST_F(StackingRun, CancelledFirstDialogEndsSilently) {
  Host.OpenAnswers.push_back({false, {}, 1});
  EXPECT_NO_THROW(RunStacking(Host));
  EXPECT_EQ(Host.Log, std::vector<std::string>{"open  1"});
}

TEST_F(StackingRun, OneFileAsksAgainWithTheRememberedSettings) {
  App->WriteIniString("Config", "Path", Dir.Path().string() + "/");
  App->WriteIniInteger("Config", "FilterIndex", 2);
  const std::string A = Jpeg("a.jpg", 4, 2, 200, 100, 50);
  Pick({A});
  Host.OpenAnswers.push_back({false, {}, 1});
  EXPECT_THROW(RunStacking(Host), EAbort);
  const std::string Open = "open " + Dir.Path().string() + "/ 2";
  EXPECT_EQ(Host.Log, (std::vector<std::string>{
                          Open, "message wählen Sie bitte mindestens zwei Dateien aus", Open}));

  Host.Log.clear();
  Pick({A});
  Pick({A, Jpeg("b.JPG", 4, 2, 10, 20, 30)});
  Host.SaveAnswer = Dir.File("result");
  RunStacking(Host);
  EXPECT_EQ(Host.Calls("message").size(), 1u);
  EXPECT_TRUE(FileReadable(Dir.File("result.tif")));
  EXPECT_EQ(Host.Info, "READY");
}

TEST_F(StackingRun, TwoSmallJpegsGivePreviewAndOutputOfTheirSize) {
  const std::string A = GreyJpeg("a.jpg", 40, 100);
  const std::string B = GreyJpeg("b.jpg", 10, 200);
  Pick({A, B});
  Host.SaveAnswer = Dir.File("out.tif");
  RunStacking(Host);

  EXPECT_EQ(Host.Calls("picture"), (std::vector<std::string>{"picture 16x8", "picture 16x8"}));
  EXPECT_EQ(Host.Calls("info"),
            (std::vector<std::string>{"info Processing a.jpg", "info Processing b.jpg",
                                      "info SAVING out.tif", "info READY"}));
  EXPECT_EQ(Host.Calls("save"),
            std::vector<std::string>{"save " + Dir.Path().string() + "/ " + Dir.File("b.tif")});
  EXPECT_EQ(Host.CurrentCursor, crDefault);

  // Sums 50 on the left, 300 on the right: the right half is the
  // brightest. The scale 65535 / 300 as a float is a little below 218.45,
  // so the output is 10922 on the left and 65534, not 65535, on the right;
  // the preview 42 and 255.
  TExpectedStack Expected(16, 8);
  for (uint32_t Y = 0; Y < 8; ++Y)
    for (uint32_t X = 0; X < 16; ++X)
      for (int Channel = 0; Channel < 3; ++Channel)
        Expected.Add(X, Y, Channel, X < 8 ? 50 : 300);
  const TTiffProbe Out = ProbeTiff(Dir.File("out.tif"));
  Expected.ExpectWritten(Out);
  EXPECT_EQ(Out.Red[0], 10922);
  EXPECT_EQ(Out.Red[8], 65534);
  EXPECT_EQ(Out.Compression, 1);
  EXPECT_TRUE(Out.Tiled);
  const auto Preview = Expected.Preview();
  ASSERT_EQ(Host.Picture.size(), 16u * 8 * 3);
  for (size_t I = 0; I < 16 * 8; ++I) {
    EXPECT_EQ(Host.Picture[3 * I], Preview[2][I]) << I; // blue first
    EXPECT_EQ(Host.Picture[3 * I + 1], Preview[1][I]) << I;
    EXPECT_EQ(Host.Picture[3 * I + 2], Preview[0][I]) << I;
  }
  EXPECT_EQ(Host.Picture[0], 42);
  EXPECT_EQ(Host.Picture[3 * 8], 255);
  EXPECT_EQ(Dir.Names(),
            (std::vector<std::string>{"VadevEzuzeva.ini", "a.jpg", "b.jpg", "out.tif"}));

  EXPECT_EQ(Setting("Path"), Dir.Path().string() + "/");
  EXPECT_EQ(Setting("FilterIndex"), "1");
}

TEST_F(StackingRun, UnknownExtensionEndsTheRunAfterTheFilesBefore) {
  const std::string A = Jpeg("a.jpg", 4, 2, 10, 20, 30);
  const std::string B = Jpeg("b.jpeg", 4, 2, 10, 20, 30);
  Pick({A, B}, 2);
  try {
    RunStacking(Host);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Unbekannter Filetyp '.jpeg'\r\nBearbeitung wird abgebrochen");
  }
  EXPECT_EQ(Host.Info, "Processing b.jpeg");
  EXPECT_EQ(Host.Calls("picture").size(), 1u);
  EXPECT_TRUE(Host.Calls("save").empty());
  EXPECT_EQ(Setting("Path"), Dir.Path().string() + "/");
  EXPECT_EQ(Setting("FilterIndex"), "2");
  EXPECT_EQ(Host.CurrentCursor, crDefault);
}

TEST_F(StackingRun, UnreadableFilesAreSkippedAndTheLastNameIsProposed) {
  const std::string A = Jpeg("a.jpg", 4, 2, 10, 20, 30);
  const std::string B = Dir.File("gone.jpg");
  const std::string C = Jpeg("c.jpg", 4, 2, 1, 2, 3);
  Pick({A, B, C});
  Host.SaveOk = false;
  RunStacking(Host);
  EXPECT_EQ(Host.Calls("info"), (std::vector<std::string>{"info Processing a.jpg",
                                                          "info Processing c.jpg", "info READY"}));
  // The host is told each file it starts, numbered among all picked, as
  // data and before the label names it.
  EXPECT_EQ(Host.Calls("start"), (std::vector<std::string>{"start 1/3 " + A, "start 3/3 " + C}));
  const auto Start = std::find(Host.Log.begin(), Host.Log.end(), "start 3/3 " + C);
  ASSERT_NE(Start, Host.Log.end());
  EXPECT_EQ(*std::next(Start), "info Processing c.jpg");
  EXPECT_EQ(Host.Calls("save"),
            std::vector<std::string>{"save " + Dir.Path().string() + "/ " + Dir.File("c.tif")});

  Host.Log.clear();
  Pick({A, C, Dir.File("last.JPG")});
  RunStacking(Host);
  EXPECT_EQ(Host.Calls("save"),
            std::vector<std::string>{"save " + Dir.Path().string() + "/ " + Dir.File("last.tif")});
}

TEST_F(StackingRun, NoReadableFileEndsBeforeTheSaveDialog) {
  Pick({Dir.File("x.jpg"), Dir.File("y.jpg")});
  try {
    RunStacking(Host);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Keine der gewählten Dateien konnte gelesen werden");
  }
  EXPECT_TRUE(Host.Calls("save").empty());
  EXPECT_EQ(Host.CurrentCursor, crDefault);
}

TEST_F(StackingRun, LaterFileOfAnotherSizeEndsTheRun) {
  const std::string A = Jpeg("a.jpg", 4, 2, 10, 20, 30);
  const std::string B = Jpeg("b.jpg", 3, 2, 10, 20, 30);
  Pick({A, B});
  try {
    RunStacking(Host);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Falsche Bildgröße in '" + B +
                               "': 3 x 2 statt 4 x 2\r\nBearbeitung wird abgebrochen");
  }
  EXPECT_EQ(Host.Calls("picture").size(), 1u);
}

TEST_F(StackingRun, OverwriteAsksAndKeepsTheOldFileWhenDeclined) {
  const std::string A = Jpeg("a.jpg", 4, 2, 10, 20, 30);
  const std::string B = Jpeg("b.jpg", 4, 2, 5, 5, 5);
  const std::string Result = Dir.File("result.tif");
  WriteBytes(Result, "old");
  Pick({A, B});
  Host.SaveAnswer = Result;
  Host.ConfirmAnswer = false;
  EXPECT_THROW(RunStacking(Host), EAbort);
  EXPECT_EQ(Host.Calls("confirm"),
            std::vector<std::string>{"confirm Soll die Datei \r\n'" + Result +
                                     "'\r\nwirklich überschrieben werden? "});
  EXPECT_EQ(Host.Info, "SAVING result.tif");
  EXPECT_EQ(ReadBytes(Result), "old");

  Host.ConfirmAnswer = true;
  Pick({A, B});
  RunStacking(Host);
  EXPECT_EQ(ProbeTiff(Result).Width, 4u);
  EXPECT_EQ(Host.Info, "READY");
}

TEST_F(StackingRun, FailedWriteKeepsWhatIsThereAndNamesTheChosenFile) {
  // A folder of the chosen name cannot be replaced by the result.
  const std::string Result = Dir.File("result.tif");
  std::filesystem::create_directory(Result);
  WriteBytes(Dir.File("result.tif/inside"), "old");
  Pick({Jpeg("a.jpg", 4, 2, 10, 20, 30), Jpeg("b.jpg", 4, 2, 5, 5, 5)});
  Host.SaveAnswer = Result;
  try {
    RunStacking(Host);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Unable to create output TIFF file '" + Result + "'");
  }
  EXPECT_EQ(ReadBytes(Dir.File("result.tif/inside")), "old");
  EXPECT_EQ(Dir.Names(),
            (std::vector<std::string>{"VadevEzuzeva.ini", "a.jpg", "b.jpg", "result.tif"}));
  EXPECT_EQ(Host.CurrentCursor, crDefault);
}

TEST_F(StackingRun, MixedJpegAndTiffAddTheirNumbers) {
  // A JPEG's bytes count as they are, a 16-bit TIFF's samples likewise.
  const std::string A = GreyJpeg("a.jpg", 200, 60);
  TTiffPicture Tiff = TTiffPicture::Pattern(16, 8, 16, 3, 7);
  WriteTiff(Dir.File("b.tif"), Tiff);
  Pick({A, Dir.File("b.tif")});
  Host.SaveAnswer = Dir.File("mixed.tif");
  RunStacking(Host);

  TExpectedStack Expected(16, 8);
  for (uint32_t Y = 0; Y < 8; ++Y)
    for (uint32_t X = 0; X < 16; ++X)
      for (int Channel = 0; Channel < 3; ++Channel)
        Expected.Add(X, Y, Channel, X < 8 ? 200 : 60);
  Expected.Add(Tiff);
  Expected.ExpectWritten(ProbeTiff(Dir.File("mixed.tif")));
}

TEST_F(StackingRun, ProposalWithoutFolderStartsTheSaveDialogInThePathSetting) {
  Pick({Jpeg("a.jpg", 4, 2, 10, 20, 30), Jpeg("b.jpg", 4, 2, 1, 1, 1), "gone.jpg"});
  Host.SaveOk = false;
  RunStacking(Host);
  EXPECT_EQ(Host.Calls("save"),
            std::vector<std::string>{"save " + Dir.Path().string() + "/ gone.tif"});
}

TEST_F(StackingRun, FailureHandedToTheExceptionEventBecomesOneErrorLine) {
  Pick({Jpeg("a.jpg", 4, 2, 10, 20, 30), Dir.File("b.png")});
  WriteBytes(Dir.File("b.png"), "png");
  try {
    RunStacking(Host);
  } catch (...) {
    App->HandleAppException("QPushButton", std::current_exception());
  }
  FinalizeVekSystem(); // waits until the log server has written
  const std::string Log = ReadBytes(Dir.File("Errors.Txt"));
  InitVekSystem();
  EXPECT_NE(Log.find("\\Global Exception in Class QPushButton: (Exception)      Unbekannter "
                     "Filetyp '.png'      Bearbeitung wird abgebrochen    \r\n"),
            std::string::npos)
      << Log;
  EXPECT_EQ(Log.find("\r\n"), Log.size() - 2);
}

} // namespace
