// The run with its files read ahead on several threads. Whatever the
// number of threads, the host sees the same calls with the same previews,
// a failing file fails at its own turn, and the result is the same bytes:
// each sum gets the same additions in the same order.
#include "RunTest.h"
#include "ScriptedHost.h"

#include "DngMaker.h"
#include "HandheldBracket.h"
#include "JpegMaker.h"
#include "ProcessThreads.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffMaker.h"
#include "VekApp.h"
#include "VekExceptions.h"
#include "VekSystem.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int Width = 24;
constexpr int Height = 16;

// A host that reads with a given number of threads and keeps every preview.
class TThreadedHost : public TScriptedHost {
public:
  TThreadedHost(int ThreadCount, bool Picture) : FThreads(ThreadCount), FPicture(Picture) {}
  int Threads() const override { return FThreads; }
  bool ShowsPicture() const override { return FPicture; }
  bool Align() const override { return Aligned; }
  void Cropped(int, int, const TCropRect& Rect) override { Crop = Rect; }
  void ShowPicture(const TBitmap24& Bitmap) override {
    TScriptedHost::ShowPicture(Bitmap);
    Previews.push_back(Picture);
    if (OnPreview)
      OnPreview(Previews.size());
  }
  std::vector<std::vector<uint8_t>> Previews;
  // Called with the number of previews shown so far.
  std::function<void(size_t)> OnPreview;
  bool Aligned = false;
  TCropRect Crop;

private:
  int FThreads;
  bool FPicture;
};

// What one run left: the host's record, the failure and the files written.
struct TOutcome {
  std::vector<std::string> Log;
  std::vector<std::vector<uint8_t>> Previews;
  std::string Failure = "none";
  std::string Result;
  std::string Settings;
  TCropRect Crop;
};

class ThreadedRun : public TRunTest {
protected:
  void SetUp() override {
    TRunTest::SetUp();
    // A sanitizer starts a thread of its own with the first thread of the
    // process; it is there before the runs are counted.
    std::thread([] {}).join();
  }

  // A textured JPEG: every file decodes to bytes of its own.
  std::string Jpeg(const std::string& Name, int Seed, int W = Width) {
    TJpegPicture Picture = TJpegPicture::Solid(W, Height, TJpegKind::Rgb, {0, 0, 0});
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < W; ++X)
        for (int C = 0; C < 3; ++C)
          Picture.At(X, Y)[C] = static_cast<uint8_t>((X * 7 + Y * 11 + C * 50 + Seed * 37) & 0xFF);
    WriteJpeg(Dir.File(Name), Picture, {95});
    return Dir.File(Name);
  }

  // A 16-bit TIFF whose samples are all 60000 or more: 280 of them take
  // every sum past 2^24, where a JPEG's odd bytes no longer add exactly.
  std::string Tiff(const std::string& Name, uint32_t Seed, uint32_t W = Width) {
    TTiffPicture Picture = TTiffPicture::Pattern(W, Height, 16, 3, Seed);
    Picture.RowsPerStrip = 4;
    for (uint32_t& Sample : Picture.Samples)
      Sample = 60000 + Sample % 5536;
    WriteTiff(Dir.File(Name), Picture);
    return Dir.File(Name);
  }

  // One run over Files with Threads reading threads, the result saved as
  // Output; what it showed, raised and wrote. Without a picture, files
  // already read are added together.
  TOutcome Stack(const std::vector<std::string>& Files, int Threads, const std::string& Output,
                 bool Picture = true) {
    std::filesystem::remove(Dir.File("VadevEzuzeva.ini"));
    std::filesystem::remove(Dir.File(Output));
    TThreadedHost Host(Threads, Picture);
    Host.SaveLayout = Layout;
    Host.SaveCompression = Compression;
    Host.Float = Float;
    Host.Aligned = Aligned;
    Host.OpenAnswers.push_back({true, Files, 2});
    Host.SaveAnswer = Dir.File(Output);
    TOutcome Outcome;
    const int Before = ThreadsOfThisProcess();
    try {
      RunStacking(Host);
    } catch (const Exception& E) {
      Outcome.Failure = E.ClassName() + ": " + E.Message();
    }
    // Every thread of the run has ended, on either way out.
    EXPECT_EQ(ThreadsOfThisProcess(), Before) << Threads << " threads";
    Outcome.Log = Host.Log;
    Outcome.Previews = Host.Previews;
    Outcome.Crop = Host.Crop;
    if (std::filesystem::exists(Dir.File(Output)))
      Outcome.Result = ReadBytes(Dir.File(Output));
    if (std::filesystem::exists(Dir.File("VadevEzuzeva.ini")))
      Outcome.Settings = ReadBytes(Dir.File("VadevEzuzeva.ini"));
    return Outcome;
  }

  // The same run with 2 and 4 threads as with 1, in every respect but the
  // name of the result.
  // How the runs save their results, and whether they align.
  TSaveLayout Layout = slTiles;
  TTiffCompression Compression = tcNone;
  bool Float = false;
  bool Aligned = false;

  void ExpectSameForEveryThreadCount(const std::vector<std::string>& Files, const TOutcome& One,
                                     const std::string& Output = "serial.tif") {
    for (int Threads : {2, 4}) {
      const TOutcome Many = Stack(Files, Threads, Output);
      EXPECT_EQ(Many.Failure, One.Failure) << Threads << " threads";
      EXPECT_EQ(Many.Log, One.Log) << Threads << " threads";
      EXPECT_TRUE(Many.Previews == One.Previews) << Threads << " threads";
      EXPECT_TRUE(Many.Result == One.Result) << Threads << " threads";
      EXPECT_EQ(Many.Settings, One.Settings) << Threads << " threads";
    }
  }
};

TEST_F(ThreadedRun, MixedRunPastTwoToThe24IsTheSameBytesForOneTwoAndFourThreads) {
  // No settings file: its durable writes, two per file, would take most
  // of the time of 1400 files; the other tests compare it.
  App->SetIniFile("");
  const std::string Tiffs[3] = {Tiff("t0.tif", 1), Tiff("t1.TIF", 2), Tiff("t2.tif", 3)};
  const std::string Jpegs[3] = {Jpeg("j0.jpg", 1), Jpeg("j1.jpg", 2), Jpeg("j2.JPG", 3)};
  // Four TIFF entries to one JPEG, 350 entries: the sums pass 2^24 a
  // little after the 280th TIFF, and JPEG bytes added after that round.
  std::vector<std::string> Files;
  for (int I = 0; I < 350; ++I)
    Files.push_back(I % 5 == 4 ? Jpegs[I % 3] : Tiffs[I % 3]);
  const TOutcome One = Stack(Files, 1, "serial.tif");
  ASSERT_EQ(One.Failure, "none");
  ASSERT_EQ(One.Previews.size(), Files.size());
  ASSERT_FALSE(One.Result.empty());
  ExpectSameForEveryThreadCount(Files, One);
  for (int Threads : {1, 2, 4})
    EXPECT_TRUE(Stack(Files, Threads, "serial.tif", false).Result == One.Result)
        << Threads << " threads without a picture";

  // The order of additions shows in the result: with the first JPEG moved
  // to the end the same files give other bytes.
  std::vector<std::string> Moved = Files;
  std::rotate(Moved.begin() + 4, Moved.begin() + 5, Moved.end());
  const TOutcome Reordered = Stack(Moved, 1, "serial.tif");
  EXPECT_FALSE(Reordered.Result == One.Result);
}

// Raw files decoded on several threads at once add up as read one by
// one; a cut-short one in the middle ends the run alike.
TEST_F(ThreadedRun, RawRunIsTheSameForOneTwoAndFourThreads) {
  std::vector<std::string> Files;
  for (int I = 0; I < 6; ++I) {
    const std::string Name = Dir.File(std::to_string(I) + "r.dng");
    WriteDng(Name, TDngPicture::Of(48, 32, [I](uint32_t X, uint32_t Y) {
               const double Level = 0.05 * (I + 1) * (1 + (X + Y) % 7 / 7.0);
               return std::array<double, 3>{Level, Level * 0.9, Level * 1.1};
             }));
    Files.push_back(Name);
  }
  const TOutcome One = Stack(Files, 1, "serial.tif");
  ASSERT_EQ(One.Failure, "none");
  ExpectSameForEveryThreadCount(Files, One);

  std::filesystem::resize_file(Files[3], std::filesystem::file_size(Files[3]) / 2);
  const TOutcome Cut = Stack(Files, 1, "serial.tif");
  EXPECT_NE(Cut.Failure.find(Files[3]), std::string::npos) << Cut.Failure;
  ExpectSameForEveryThreadCount(Files, Cut);
}

TEST_F(ThreadedRun, AFailingFileEndsTheRunAtItsTurnWithLaterFilesInFlight) {
  // The bad files lie in the middle of twelve, so that with four threads
  // the files after them are being read when their turn comes.
  std::vector<std::string> Files;
  for (int I = 0; I < 12; ++I)
    Files.push_back(Jpeg(std::to_string(I) + "f.jpg", I));

  // Not a JPEG file: refused by its header.
  const std::string NotJpeg = Dir.File("bad.jpg");
  WriteBytes(NotJpeg, "not a JPEG file at all");
  // A TIFF whose header is sound but whose third strip is cut short: it
  // fails only when its pixels are read.
  const std::string CutTiff = Tiff("cut.tif", 5);
  PatchTiffEntry(CutTiff, 279, 10, 2); // StripByteCounts
  // A picture of another size whose pixels could not be read either: it
  // is refused by its size, from its header, before its pixels are read.
  const std::string Narrow = Tiff("narrow.tif", 6, Width - 2);
  PatchTiffEntry(Narrow, 279, 10, 2);

  const std::pair<std::string, std::string> Cases[] = {
      {NotJpeg, "EJPEG: JPEG error #53"},
      {CutTiff, "Exception: Unexpected error"},
      {Narrow, "Exception: Falsche Bildgröße in '" + Narrow + "': " + std::to_string(Width - 2) +
                   " x " + std::to_string(Height) + " statt " + std::to_string(Width) + " x " +
                   std::to_string(Height) + "\r\nBearbeitung wird abgebrochen"}};
  for (const auto& [Bad, Failure] : Cases) {
    std::vector<std::string> Run = Files;
    Run.insert(Run.begin() + 5, Bad);
    const TOutcome One = Stack(Run, 1, "never.tif");
    EXPECT_EQ(One.Failure, Failure);
    // Five files added and previewed, then the bad one started and named,
    // then only the cursor restored: nothing after it was added.
    EXPECT_EQ(One.Previews.size(), 5u) << Bad;
    ASSERT_GE(One.Log.size(), 3u);
    EXPECT_EQ(One.Log[One.Log.size() - 3], "start 6/13 " + Bad);
    EXPECT_EQ(One.Log[One.Log.size() - 2],
              "info Processing " + std::filesystem::path(Bad).filename().string());
    EXPECT_EQ(One.Log.back(), "cursor " + std::to_string(crDefault));
    EXPECT_TRUE(One.Result.empty());
    ExpectSameForEveryThreadCount(Run, One, "never.tif");
  }
}

TEST_F(ThreadedRun, FirstPictureTooLargeForTheSumsIsRefusedByItsHeader) {
  // The header claims 30000 x 20000 pixels, more than sums of one block
  // hold; the file holds a small picture, so reading it would fail
  // otherwise.
  const std::string Huge = Tiff("huge.tif", 7);
  PatchTiffEntry(Huge, 256, 30000); // ImageWidth
  PatchTiffEntry(Huge, 257, 20000); // ImageLength
  PatchTiffEntry(Huge, 278, 5000);  // RowsPerStrip: still four strips
  const std::vector<std::string> Files = {Huge, Jpeg("a.jpg", 1), Jpeg("b.jpg", 2)};
  const TOutcome One = Stack(Files, 1, "never.tif");
  EXPECT_EQ(One.Failure, "EOutOfMemory: Out of memory");
  EXPECT_TRUE(One.Previews.empty());
  ExpectSameForEveryThreadCount(Files, One, "never.tif");
}

TEST_F(ThreadedRun, SkippedAndChangedFilesAreTakenAsAtTheirTurn) {
  // A file deleted after it was picked, and one that is not yet a JPEG
  // when it may be read ahead but is one by its turn.
  const std::string Late = Dir.File("late.jpg");
  std::vector<std::string> Files;
  for (int I = 0; I < 8; ++I)
    Files.push_back(Jpeg(std::to_string(I) + "g.jpg", I));
  Files.insert(Files.begin() + 2, Dir.File("gone.jpg"));
  Files.insert(Files.begin() + 6, Late);
  const std::string Good = Jpeg("good.jpg", 9);

  const auto Outcome = [&](int Threads) {
    WriteBytes(Late, "not yet a JPEG file");
    TThreadedHost Host(Threads, true);
    Host.OpenAnswers.push_back({true, Files, 1});
    Host.SaveAnswer = Dir.File("out.tif");
    Host.OnPreview = [&](size_t Count) {
      if (Count == 4)
        std::filesystem::copy_file(Good, Late, std::filesystem::copy_options::overwrite_existing);
    };
    RunStacking(Host);
    return std::pair{Host.Previews, ReadBytes(Dir.File("out.tif"))};
  };
  const auto One = Outcome(1);
  EXPECT_EQ(One.first.size(), Files.size() - 1);
  for (int Threads : {2, 4}) {
    const auto Many = Outcome(Threads);
    EXPECT_TRUE(Many.first == One.first) << Threads << " threads";
    EXPECT_TRUE(Many.second == One.second) << Threads << " threads";
  }
}

TEST_F(ThreadedRun, AResultOfSeveralBandsIsTheSameBytesInEveryLayoutAndCrop) {
  // 600 x 300 pixels: two bands of three tiles, the last ones cut short,
  // or strips of 72 and 36 rows, the last one shorter; aligned, a part of
  // the sums inside every edge is written. Each is scaled band by band
  // and compressed by several threads.
  std::vector<std::string> Plain;
  for (int I = 0; I < 3; ++I) {
    TJpegPicture Picture = TJpegPicture::Solid(600, 300, TJpegKind::Rgb, {0, 0, 0});
    for (int Y = 0; Y < 300; ++Y)
      for (int X = 0; X < 600; ++X)
        for (int C = 0; C < 3; ++C)
          Picture.At(X, Y)[C] = static_cast<uint8_t>((X + 2 * Y + 60 * C + 90 * I) & 0xFF);
    Plain.push_back(Dir.File(std::to_string(I) + "wide.jpg"));
    WriteJpeg(Plain.back(), Picture, {90});
  }
  const std::vector<std::string> Moved =
      WriteBracket(Dir.Path().string(), THandheldScene(3), 600, 300,
                   {{NoMove, 0}, {HandheldMove(600, 300, 0.8, 9.5, -7.3, 0.97), 0.5}}, true);
  struct TCase {
    TSaveLayout Layout;
    TTiffCompression Compression;
    bool Float;
    bool Aligned;
  };
  // Every compression for the float result in either layout; the band
  // code is the same for 16-bit samples. Aligning takes the longest: once
  // for each layout.
  for (const TCase& Case : {TCase{slTiles, tcNone, true, false},
                            {slTiles, tcLZW, true, false},
                            {slTiles, tcDeflate, true, false},
                            {slStrips, tcNone, true, false},
                            {slStrips, tcLZW, true, false},
                            {slStrips, tcDeflate, true, false},
                            {slTiles, tcLZW, false, false},
                            {slStrips, tcNone, false, false},
                            {slTiles, tcLZW, true, true},
                            {slStrips, tcDeflate, false, true}}) {
    SCOPED_TRACE("layout " + std::to_string(Case.Layout) + ", compression " +
                 std::to_string(Case.Compression) + (Case.Float ? ", float" : "") +
                 (Case.Aligned ? ", aligned" : ""));
    Layout = Case.Layout;
    Compression = Case.Compression;
    Float = Case.Float;
    Aligned = Case.Aligned;
    const std::vector<std::string>& Files = Case.Aligned ? Moved : Plain;
    const TOutcome One = Stack(Files, 1, "wide.tif");
    ASSERT_EQ(One.Failure, "none");
    if (Case.Aligned) {
      ASSERT_GT(One.Crop.X, 0);
      ASSERT_GT(One.Crop.Y, 0);
      ASSERT_LT(One.Crop.X + One.Crop.Width, 600);
      ASSERT_LT(One.Crop.Y + One.Crop.Height, 300);
    }
    if (Case.Compression == tcNone) {
      ASSERT_GT(One.Result.size(), size_t{600} * 300 * 6);
    }
    ExpectSameForEveryThreadCount(Files, One, "wide.tif");
  }
}

} // namespace
