// The reading ahead of a run's files: how many it holds at once, how the
// number of threads is set, and that every file comes out as read alone.
#include "ReadAhead.h"
#include "ExposureAccumulator.h"
#include "FailingNew.h"
#include "JpegMaker.h"
#include "PendingAdds.h"
#include "ProcessThreads.h"
#include "ReadAheadPlan.h"
#include "RunThreads.h"
#include "TempDir.h"
#include "TiffMaker.h"
#include "VekExceptions.h"
#include "WaitFor.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr int64_t MiB = int64_t{1} << 20;
constexpr int64_t Plenty = int64_t{64} << 30;

TEST(ReadAheadPlan, OneThreadHoldsOneFileAndMoreHoldNoMoreThanTheyCanRead) {
  const int64_t Pixels = 6000 * 4000;
  EXPECT_EQ(ReadAheadSlots(1, Pixels, 3, Plenty), 1);
  EXPECT_EQ(ReadAheadSlots(0, Pixels, 3, Plenty), 1);
  // Two threads: three decoded JPEGs (9 bytes per pixel) fit the 12 bytes
  // per pixel two threads may hold; TIFF planes only twice.
  EXPECT_EQ(ReadAheadSlots(2, Pixels, 3, Plenty), 3);
  EXPECT_EQ(ReadAheadSlots(2, Pixels, 6, Plenty), 2);
  // A raw file in decoding (16 bytes per pixel) is more than 6 per thread
  // allow: still one per thread, so that both decode at once.
  EXPECT_EQ(ReadAheadSlots(2, Pixels, 16, Plenty), 2);
  EXPECT_EQ(ReadAheadSlots(4, Pixels, 16, Plenty), 4);
  // Many threads: one file per thread and the one being added.
  EXPECT_EQ(ReadAheadSlots(16, Pixels, 3, Plenty), 17);
  EXPECT_EQ(ReadAheadSlots(16, Pixels, 6, Plenty), 16);
  EXPECT_EQ(ReadAheadSlots(4, 1, 3, Plenty), 5);
}

TEST(ReadAheadPlan, TheMemoryBudgetLimitsTheFilesHeld) {
  // 23000 x 23000 pixels: sums of 6.35 GB, 1.59 GB per decoded JPEG,
  // 3.17 GB of TIFF planes. Half of what 16 GiB (17.18 GB) leave beside
  // the sums, 5.42 GB, holds three JPEGs and one TIFF; half of what 32 GiB
  // leave, 14.0 GB, eight JPEGs.
  const int64_t Pixels = int64_t{23000} * 23000;
  const int64_t Sixteen = int64_t{16} << 30;
  EXPECT_EQ(ReadAheadSlots(16, Pixels, 3, Sixteen), 3);
  EXPECT_EQ(ReadAheadSlots(16, Pixels, 6, Sixteen), 1);
  EXPECT_EQ(ReadAheadSlots(16, Pixels, 3, 2 * Sixteen), 8);
  // With memory to spare, never more than the threads can read.
  EXPECT_EQ(ReadAheadSlots(16, Pixels, 3, 8 * Sixteen), 17);
  EXPECT_EQ(ReadAheadSlots(2, Pixels, 3, 8 * Sixteen), 3);
  // Too little even for the sums: still one file, read at its turn.
  EXPECT_EQ(ReadAheadSlots(8, Pixels, 3, 100 * MiB), 1);
  EXPECT_GT(AvailableMemory(), 0);
}

TEST(RunThreads, CountsFromOneTo256AreTaken) {
  int Threads = -1;
  for (const auto& [Text, Value] : {std::pair{"1", 1}, {"2", 2}, {"16", 16}, {"256", 256}}) {
    EXPECT_TRUE(ParseThreadCount(Text, Threads)) << Text;
    EXPECT_EQ(Threads, Value);
  }
  Threads = 7;
  for (const char* Text : {"", "0", "257", "1000", "-1", "+2", " 2", "2 ", "2x", "0x4", "four"}) {
    EXPECT_FALSE(ParseThreadCount(Text, Threads)) << Text;
    EXPECT_EQ(Threads, 7) << Text;
  }
}

TEST(RunThreads, TheEnvironmentVariableSetsTheDefault) {
  ASSERT_EQ(unsetenv("VELMORA_THREADS"), 0);
  const int Default = RunThreadsFromEnvironment();
  EXPECT_GE(Default, 1);
  setenv("VELMORA_THREADS", "3", 1);
  EXPECT_EQ(RunThreadsFromEnvironment(), 3);
  setenv("VELMORA_THREADS", "1", 1);
  EXPECT_EQ(RunThreadsFromEnvironment(), 1);
  // A value that is no count is passed over.
  setenv("VELMORA_THREADS", "many", 1);
  EXPECT_EQ(RunThreadsFromEnvironment(), Default);
  unsetenv("VELMORA_THREADS");
}

class ReadAhead : public ::testing::Test {
protected:
  void SetUp() override { SilenceTiffLibrary(); }

  std::string Jpeg(const std::string& Name, int Seed) {
    TJpegPicture Picture = TJpegPicture::Solid(40, 30, TJpegKind::Rgb, {0, 0, 0});
    for (int Y = 0; Y < 30; ++Y)
      for (int X = 0; X < 40; ++X)
        for (int C = 0; C < 3; ++C)
          Picture.At(X, Y)[C] = static_cast<uint8_t>(X * 5 + Y * 3 + C * 70 + Seed * 41);
    WriteJpeg(Dir.File(Name), Picture, {95});
    return Dir.File(Name);
  }

  // Odd seeds are compressed in strips of 7 rows, even ones uncompressed
  // in one strip.
  std::string Tiff(const std::string& Name, uint32_t Seed) {
    TTiffPicture Picture = TTiffPicture::Pattern(40, 30, 16, 3, Seed);
    if (Seed % 2 == 1) {
      Picture.Compression = 5;
      Picture.RowsPerStrip = 7;
    }
    WriteTiff(Dir.File(Name), Picture);
    return Dir.File(Name);
  }

  // How a file came to be added: decoded, streamed, read as stored or
  // into planes.
  static std::string FormOf(const TExposure& X) {
    if (X.Kind() == TExposureKind::Jpeg)
      return "decoded";
    if (X.Streamed())
      return "streamed";
    return X.Samples16().Step == 3 ? "stored" : "planes";
  }

  // The sums of file Index, taken as X, stored alone into sums of its own;
  // the file is then done.
  static std::vector<float> SumsAlone(TReadAhead& Ahead, size_t Index, TExposure& X) {
    TExposureAccumulator Sums;
    Sums.Allocate(X.Width(), X.Height());
    TPendingAdds Alone(Sums, Ahead);
    Alone.Hold(Index, X);
    Alone.Add(1);
    Alone.Done();
    const size_t Count = static_cast<size_t>(Sums.Width) * Sums.Height;
    std::vector<float> All;
    for (const float* Plane : {Sums.RedSum.get(), Sums.GreenSum.get(), Sums.BlueSum.get()})
      All.insert(All.end(), Plane, Plane + Count);
    return All;
  }

  // Every file's sums when it is added alone as Take gives it at its turn,
  // and how many distinct exposures they came in.
  struct TTaken {
    std::vector<std::vector<float>> Sums;
    size_t Distinct = 0;
    int Slots = 0;
    std::set<std::string> Forms;
  };
  static TTaken TakeAll(const std::vector<TReadAhead::TFile>& Files, int Threads, int64_t Available,
                        bool Planes = false) {
    TRunPool Pool(Threads);
    TReadAhead Ahead(Files, Pool, int64_t{1} << 30, Available, Planes);
    TTaken Taken;
    std::set<const TExposure*> Seen;
    for (size_t I = 0; I < Files.size(); ++I) {
      TExposure& X = Ahead.Take(I, [](int, int) {});
      Seen.insert(&X);
      Taken.Forms.insert(FormOf(X));
      Taken.Sums.push_back(SumsAlone(Ahead, I, X));
    }
    Taken.Distinct = Seen.size();
    Taken.Slots = Ahead.Slots();
    return Taken;
  }

  TTempDir Dir;
};

TEST_F(ReadAhead, EveryFileComesOutAsReadAloneWhateverTheThreadsAndBudget) {
  std::vector<TReadAhead::TFile> Files;
  for (int I = 0; I < 10; ++I)
    Files.push_back(
        I % 3 == 2 ? TReadAhead::TFile{Tiff(std::to_string(I) + ".tif", I), TExposureKind::Tiff}
                   : TReadAhead::TFile{Jpeg(std::to_string(I) + ".jpg", I), TExposureKind::Jpeg});
  const TTaken Serial = TakeAll(Files, 1, Plenty);
  EXPECT_EQ(Serial.Distinct, 1u);
  EXPECT_EQ(Serial.Slots, 1);
  // Four threads with plenty of memory: TIFF files among them, so 6 bytes
  // per pixel each, four held at once.
  const TTaken Wide = TakeAll(Files, 4, Plenty);
  EXPECT_EQ(Wide.Slots, 4);
  EXPECT_LE(Wide.Distinct, 4u);
  EXPECT_EQ(Wide.Sums, Serial.Sums);
  // Four threads but memory for the sums and two files (two times 6 bytes
  // per pixel, doubled): never more than two held.
  const int64_t Pixels = 40 * 30;
  const TTaken Tight = TakeAll(Files, 4, 12 * Pixels + 2 * 2 * 6 * Pixels);
  EXPECT_EQ(Tight.Slots, 2);
  EXPECT_LE(Tight.Distinct, 2u);
  EXPECT_EQ(Tight.Sums, Serial.Sums);
  // TIFFs read into planes, as for alignment, add up to the same sums as
  // those streamed or read as stored.
  const TTaken Planes = TakeAll(Files, 2, Plenty, true);
  EXPECT_EQ(Planes.Sums, Serial.Sums);
  EXPECT_EQ(Planes.Forms, (std::set<std::string>{"decoded", "planes"}));
  EXPECT_EQ(Serial.Forms, (std::set<std::string>{"decoded", "streamed", "stored"}));
}

TEST_F(ReadAhead, PassedOverFilesAndARefusingCheckEndTheirTurns) {
  const std::vector<TReadAhead::TFile> Files = {{Jpeg("a.jpg", 1), TExposureKind::Jpeg},
                                                {Dir.File("gone.jpg"), TExposureKind::Jpeg},
                                                {Dir.File("x.png"), TExposureKind::Other},
                                                {Jpeg("b.jpg", 2), TExposureKind::Jpeg},
                                                {Jpeg("c.jpg", 3), TExposureKind::Jpeg}};
  for (int Threads : {1, 3}) {
    TRunPool Pool(Threads);
    TReadAhead Ahead(Files, Pool, int64_t{1} << 30, Plenty);
    std::vector<std::string> Checked;
    const auto Check = [&](int Width, int Height) {
      Checked.push_back(std::to_string(Width) + "x" + std::to_string(Height));
    };
    EXPECT_EQ(Ahead.Take(0, Check).Width(), 40);
    Ahead.Done(0);
    Ahead.Skip(1);
    Ahead.Skip(2);
    EXPECT_EQ(Ahead.Take(3, Check).Height(), 30);
    Ahead.Done(3);
    // A check that raises ends the turn with its exception; the threads
    // still reading are stopped when the object goes.
    EXPECT_THROW(Ahead.Take(4, [](int, int) { throw EAbort(); }), EAbort);
    EXPECT_EQ(Checked, (std::vector<std::string>{"40x30", "40x30"})) << Threads;
  }
}

// A task that finds no memory for a buffer leaves its file to be read at
// its turn, and its worker lives on to read later files.
TEST_F(ReadAhead, ATaskWithoutMemoryForABufferLeavesItsFileToItsTurn) {
  std::vector<TReadAhead::TFile> Files;
  for (int I = 0; I < 4; ++I)
    Files.push_back({Jpeg(std::to_string(I) + ".jpg", I), TExposureKind::Jpeg});
  const std::vector<std::vector<float>> Alone = TakeAll(Files, 1, Plenty).Sums;

  TRunPool Pool(2);
  const int Threads = ThreadsOfThisProcess();
  std::unique_ptr<TReadAhead> Ahead;
  {
    // Both tasks start at the first file; the first thing each allocates
    // is that file's buffer.
    const TFailingNew Failing(2);
    Ahead = std::make_unique<TReadAhead>(Files, Pool, int64_t{1} << 30, Plenty);
    ASSERT_TRUE(WaitFor([&] { return Failing.Failed() == 2; }));
  }
  ASSERT_TRUE(WaitFor([&] { return Ahead->Reading() == 0; }));
  EXPECT_FALSE(Ahead->Ready(0));
  EXPECT_EQ(ThreadsOfThisProcess(), Threads);
  for (size_t I = 0; I < Files.size(); ++I) {
    // From the first file's turn on, the workers read ahead again.
    if (I > 0) {
      EXPECT_TRUE(WaitFor([&] { return Ahead->Ready(I); })) << I;
    }
    EXPECT_EQ(SumsAlone(*Ahead, I, Ahead->Take(I, [](int, int) {})), Alone[I]) << I;
  }
  EXPECT_EQ(ThreadsOfThisProcess(), Threads);
}

// Files added together in one pass over the sums, and streamed files
// added alone among them, get the additions of adding them one at a time,
// in their order: with the sums at 2^24, where odd samples round, another
// order would give other sums.
TEST_F(ReadAhead, FilesAddedTogetherGiveTheSumsOfAddingThemInTurn) {
  const std::vector<TReadAhead::TFile> Files = {
      {Tiff("a.tif", 1), TExposureKind::Tiff}, {Jpeg("b.jpg", 2), TExposureKind::Jpeg},
      {Tiff("c.tif", 3), TExposureKind::Tiff}, {Jpeg("d.jpg", 4), TExposureKind::Jpeg},
      {Tiff("e.tif", 6), TExposureKind::Tiff}, {Tiff("f.tif", 8), TExposureKind::Tiff},
      {Jpeg("g.jpg", 9), TExposureKind::Jpeg}};
  const uint32_t Seeds[] = {1, 2, 3, 4, 6, 8, 9};
  const size_t Count = 40 * 30;
  for (int Threads : {1, 2, 4}) {
    TRunPool Pool(Threads);
    TReadAhead Ahead(Files, Pool, int64_t{1} << 30, Plenty);
    TExposureAccumulator Sums;
    TPendingAdds Pending(Sums, Ahead);
    // Red, green, blue planes, each sum added in file order here.
    std::vector<float> Expected(3 * Count, 0.0F);
    for (size_t I = 0; I < Files.size(); ++I) {
      TExposure& X = Ahead.Take(I, [&](int W, int H) { Sums.Allocate(W, H); });
      for (size_t P = 0; P < Count; ++P)
        for (size_t C = 0; C < 3; ++C)
          Expected[C * Count + P] +=
              X.Kind() == TExposureKind::Jpeg
                  ? X.Bitmap().Row(static_cast<int>(P / 40))[(P % 40) * 3 + 2 - C]
                  : static_cast<float>(TTiffPicture::Pattern(40, 30, 16, 3, Seeds[I])
                                           .At(static_cast<uint32_t>(P % 40),
                                               static_cast<uint32_t>(P / 40),
                                               static_cast<uint16_t>(C)));
      Pending.Hold(I, X);
      if (I > 0)
        continue;
      // The first file alone, stored; then every sum lifted to 2^24.
      Pending.Add(Threads);
      Pending.Done();
      for (float* Plane : {Sums.RedSum.get(), Sums.GreenSum.get(), Sums.BlueSum.get()})
        std::fill_n(Plane, Count, 16777216.0F);
      std::fill(Expected.begin(), Expected.end(), 16777216.0F);
    }
    Pending.Add(Threads);
    Pending.Done();
    for (size_t P = 0; P < Count; ++P) {
      ASSERT_EQ(Sums.RedSum[P], Expected[P]) << Threads << " threads, pixel " << P;
      ASSERT_EQ(Sums.GreenSum[P], Expected[Count + P]) << Threads << " threads, pixel " << P;
      ASSERT_EQ(Sums.BlueSum[P], Expected[2 * Count + P]) << Threads << " threads, pixel " << P;
    }
    EXPECT_EQ(Sums.Maximum, *std::max_element(Expected.begin(), Expected.end()));
  }
}

} // namespace
