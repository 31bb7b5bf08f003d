// velmora-stack under faults a user meets: killed while it writes, a full
// disk, no address space left, and a long run whose memory must stay flat.
#include "ChildProcess.h"
#include "JpegMaker.h"
#include "TempDir.h"
#include "TiffProbe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class VelmoraStackFault : public ::testing::Test {
protected:
  // The program with Args under Limits, run to its end.
  TChildResult Run(const std::vector<std::string>& Args, const TChildLimits& Limits = {}) {
    return TChildProgram(Command(Args), Limits, Dir.File("stderr")).Wait();
  }

  std::vector<std::string> Command(const std::vector<std::string>& Args) const {
    EXPECT_NE(std::getenv("VELMORA_STACK"), nullptr)
        << "VELMORA_STACK names the program under test";
    return StackProgramCommand(Args);
  }

  // An exposure with texture in every row, so that compressed output still
  // takes a while to write.
  std::string Exposure(const std::string& Name, int Width, int Height, int Level) {
    TJpegPicture Picture = TJpegPicture::Solid(Width, Height, TJpegKind::Rgb, {0, 0, 0});
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X) {
        uint8_t* P = Picture.At(X, Y);
        P[0] = static_cast<uint8_t>(Level + (X * 7 + Y * 3) % 64);
        P[1] = static_cast<uint8_t>(Level / 2 + (X ^ Y) % 97);
        P[2] = static_cast<uint8_t>((X * Y) % 251);
      }
    WriteJpeg(Dir.File(Name), Picture, {75});
    return Dir.File(Name);
  }

  TTempDir Dir;
};

// The resident set of this process now, in KiB. A forked child starts
// with it, and its peak counts towards the program's figure.
long ResidentKb() {
  std::ifstream Status("/proc/self/status");
  std::string Word;
  long Kb = 0;
  while (Status >> Word)
    if (Word == "VmRSS:" && Status >> Kb)
      return Kb;
  return 0;
}

uintmax_t SizeOrZero(const std::string& FileName) {
  std::error_code Missing;
  const uintmax_t Size = fs::file_size(FileName, Missing);
  return Missing ? 0 : Size;
}

// The file a save of out.tif writes before it replaces it, "" when there
// is none.
std::string SiblingIn(const TTempDir& Dir) {
  for (const std::string& Name : Dir.Names())
    if (Name.rfind(".out.tif.", 0) == 0)
      return Dir.File(Name);
  return "";
}

TEST_F(VelmoraStackFault, KilledWhileWritingKeepsTheOldResultAndItsLeftoverGoesNextTime) {
  const std::string A = Exposure("a.jpg", 4000, 3000, 40);
  const std::string B = Exposure("b.jpg", 4000, 3000, 90);
  const std::string Output = Dir.File("out.tif");
  const std::string Old = "the result of an earlier run";
  WriteBytes(Output, Old);

  // Killed once the partial file exists and has grown: the kill hits the
  // writer in the middle of the file.
  TChildProgram Writing(Command({"--force", "-c", "deflate", "-o", Output, A, B}), {},
                        Dir.File("stderr"));
  uintmax_t FirstSize = 0;
  bool Grew = false;
  while (!Grew && !Writing.Ended()) {
    const uintmax_t Size = SizeOrZero(SiblingIn(Dir));
    if (FirstSize == 0)
      FirstSize = Size;
    Grew = FirstSize > 0 && Size > FirstSize;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  ASSERT_TRUE(Grew) << "the run ended before its output was seen growing";
  Writing.Kill();
  const TChildResult Killed = Writing.Wait();
  EXPECT_EQ(Killed.Signal, SIGKILL);
  EXPECT_EQ(ReadBytes(Output), Old);
  ASSERT_GT(SizeOrZero(SiblingIn(Dir)), 0u) << "the killed run leaves its partial file";

  // The next save of that name removes the leftover and replaces the result.
  const TChildResult Next = Run({"--force", "-o", Output, A, B});
  ASSERT_EQ(Next.ExitCode, 0) << Next.Output;
  const TTiffProbe Probe = ProbeTiff(Output);
  EXPECT_EQ(Probe.Width, 4000u);
  EXPECT_EQ(Probe.Height, 3000u);
  EXPECT_EQ(SiblingIn(Dir), "");
}

TEST_F(VelmoraStackFault, FullDiskFailsWithTheOldResultIntactAndSaysWhy) {
  const std::string A = Exposure("a.jpg", 600, 400, 40);
  const std::string B = Exposure("b.jpg", 600, 400, 90);
  const std::string Output = Dir.File("out.tif");
  WriteBytes(Output, "the result of an earlier run");
  for (const std::string Layout : {"tiles", "strips"}) {
    SCOPED_TRACE(Layout);
    // The inputs are read, not written: only the result meets the limit.
    const TChildResult Full =
        Run({"--force", "--layout", Layout, "-o", Output, A, B}, TChildLimits::OfFileSize(300000));
    EXPECT_TRUE(Full.Exited) << "signal " << Full.Signal;
    EXPECT_EQ(Full.ExitCode, 1);
    EXPECT_EQ(Full.Output,
              "velmora-stack: writing '" + Output + "': Unexpected error (File too large)\n");
    EXPECT_EQ(ReadBytes(Output), "the result of an earlier run");
    EXPECT_EQ(SiblingIn(Dir), "");
  }
}

// Two 24-megapixel exposures need 288 MB of sums alone; 256 MB of address
// space cannot hold them.
TEST_F(VelmoraStackFault, NoAddressSpaceLeftIsACleanOutOfMemory) {
  if (AddressSanitized())
    GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space than any limit";
  TJpegPicture Plain = TJpegPicture::Solid(6000, 4000, TJpegKind::Rgb, {70, 50, 30});
  WriteJpeg(Dir.File("a.jpg"), Plain);
  WriteJpeg(Dir.File("b.jpg"), Plain);
  const std::string Output = Dir.File("out.tif");
  const TChildResult Starved = Run({"-o", Output, Dir.File("a.jpg"), Dir.File("b.jpg")},
                                   TChildLimits::OfAddressSpace(uint64_t{256} << 20));
  EXPECT_TRUE(Starved.Exited) << "signal " << Starved.Signal;
  EXPECT_EQ(Starved.ExitCode, 1);
  // Memory runs out while the first file's sums are taken.
  EXPECT_EQ(Starved.Output, "velmora-stack: reading '" + Dir.File("a.jpg") + "': Out of memory\n");
  EXPECT_FALSE(fs::exists(Output));
  EXPECT_EQ(SiblingIn(Dir), "");
}

// Memory is fixed by the picture size, not by the number of files: the
// peak resident set of a run over 200 exposures is that of one over 20.
TEST_F(VelmoraStackFault, MemoryStaysFlatOverManyExposures) {
  if (AddressSanitized())
    GTEST_SKIP() << "AddressSanitizer's quarantine keeps freed memory resident";
  const std::string First = Exposure("e0.jpg", 1000, 1000, 60);
  std::vector<std::string> Inputs = {First};
  for (int I = 1; I < 200; ++I) {
    Inputs.push_back(Dir.File(std::to_string(I) + ".jpg"));
    fs::create_hard_link(First, Inputs.back());
  }
  auto PeakFor = [&](size_t Count) {
    std::vector<std::string> Args = {"--force", "-o", Dir.File("out.tif")};
    Args.insert(Args.end(), Inputs.begin(), Inputs.begin() + static_cast<long>(Count));
    const TChildResult Result = Run(Args);
    EXPECT_EQ(Result.ExitCode, 0) << Result.Output;
    return Result.MaxRssKb;
  };
  const long Few = PeakFor(20);
  const long Many = PeakFor(200);
  RecordProperty("PeakRssKb20", std::to_string(Few));
  RecordProperty("PeakRssKb200", std::to_string(Many));
  // Otherwise the figures would be this test's own.
  ASSERT_GT(Few, ResidentKb() + ResidentKb() / 10);
  EXPECT_LE(Many, Few + Few / 10) << "20 files: " << Few << " KiB, 200 files: " << Many << " KiB";
}

} // namespace
