// The run's result under a full disk and with no address space left: the
// failure is reported cleanly and an existing result survives.
#include "ChildProcess.h"
#include "JpegMaker.h"
#include "PlanePicture.h"
#include "RunTest.h"
#include "ScriptedHost.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffProbe.h"
#include "VekMemory.h"
#include "VekSystem.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Bytes of one uncompressed tile and of the file header before the first.
constexpr uint64_t TileBytes = 256 * 256 * 6;
constexpr uint64_t HeaderBytes = 8;

class SaveFault : public TRunTest {
protected:
  std::string Exposure(const std::string& Name, int Width, int Height, uint8_t Level) {
    TJpegPicture Picture = TJpegPicture::Solid(Width, Height, TJpegKind::Rgb, {Level, 80, 40});
    for (int X = 0; X < Width; ++X)
      Picture.At(X, X % Height)[1] = static_cast<uint8_t>(X);
    WriteJpeg(Dir.File(Name), Picture);
    return Dir.File(Name);
  }

  // One run over Inputs saving to Output, an overwrite confirmed. Returns
  // the host's record of the run.
  static std::vector<std::string> Stack(const std::vector<std::string>& Inputs,
                                        const std::string& Output, TSaveLayout Layout = slTiles) {
    TScriptedHost Host;
    Host.SaveLayout = Layout;
    Host.OpenAnswers.push_back({true, Inputs, 1});
    Host.SaveAnswer = Output;
    RunStacking(Host);
    return Host.Log;
  }

  // The run in a child under Limits; Output is the run's failure message.
  static TChildResult StackInChild(const std::vector<std::string>& Inputs,
                                   const std::string& Output, const TChildLimits& Limits,
                                   TSaveLayout Layout = slTiles) {
    return RunInChild(
        [&] {
          Stack(Inputs, Output, Layout);
          return std::string("written");
        },
        Limits);
  }
};

TEST_F(SaveFault, FullDiskKeepsTheOldResultAndLeavesNoPartialFile) {
  // 600 x 600 pixels: nine tiles of 393216 bytes, uncompressed.
  const std::vector<std::string> Inputs = {Exposure("a.jpg", 600, 600, 60),
                                           Exposure("b.jpg", 600, 600, 120)};
  const std::string Output = Dir.File("out.tif");
  Stack(Inputs, Output);
  const std::string Old = ReadBytes(Output);
  ASSERT_GT(Old.size(), HeaderBytes + 9 * TileBytes);
  std::vector<std::string> Expected = Dir.Names();

  // Full after one megabyte: a tile write fails. Full exactly after the
  // last tile: only the directory is refused, which the writer sees only
  // because it flushes before closing.
  for (const uint64_t Limit : {uint64_t{1} << 20, HeaderBytes + 9 * TileBytes}) {
    const TChildResult Full = StackInChild(Inputs, Output, TChildLimits::OfFileSize(Limit));
    EXPECT_TRUE(Full.Exited) << "signal " << Full.Signal;
    EXPECT_EQ(Full.ExitCode, 1) << Limit;
    EXPECT_EQ(Full.Output, "Unexpected error") << Limit;
    EXPECT_EQ(ReadBytes(Output), Old) << Limit;
    EXPECT_EQ(Dir.Names(), Expected) << Limit;
  }

  // The second limit really lets every tile through: the plain writer,
  // which leaves what it wrote, stops exactly at the limit.
  const std::string Plain = Dir.File("plain.tif");
  const TChildResult Directory = RunInChild(
      [&] {
        try {
          TPlanePicture(600, 600).Save(Plain);
        } catch (const Exception& Failure) {
          return Failure.Message();
        }
        return std::string("written");
      },
      TChildLimits::OfFileSize(HeaderBytes + 9 * TileBytes));
  EXPECT_EQ(Directory.Output, "Unexpected error");
  EXPECT_EQ(fs::file_size(Plain), HeaderBytes + 9 * TileBytes);

  // With room again the same run replaces the old result.
  const TChildResult Roomy = StackInChild(Inputs, Output, {});
  EXPECT_EQ(Roomy.ExitCode, 0) << Roomy.Output;
  EXPECT_EQ(ProbeTiff(Output).Width, 600u);
  Expected.push_back("plain.tif");
  EXPECT_EQ(Dir.Names(), Expected);
}

TEST_F(SaveFault, FullDiskWithStripsKeepsTheOldResultAsTilesDo) {
  // 600 x 600 pixels in strips of 72 rows: 2,160,000 bytes of samples.
  const std::vector<std::string> Inputs = {Exposure("a.jpg", 600, 600, 60),
                                           Exposure("b.jpg", 600, 600, 120)};
  const std::string Output = Dir.File("out.tif");
  Stack(Inputs, Output, slStrips);
  const std::string Old = ReadBytes(Output);
  ASSERT_FALSE(ProbeTiff(Output).Tiled);
  const std::vector<std::string> Expected = Dir.Names();

  // Full in the middle of the strips, and full exactly after the last.
  for (const uint64_t Limit : {uint64_t{1} << 20, HeaderBytes + 600 * 600 * 6}) {
    const TChildResult Full =
        StackInChild(Inputs, Output, TChildLimits::OfFileSize(Limit), slStrips);
    EXPECT_TRUE(Full.Exited) << "signal " << Full.Signal;
    EXPECT_EQ(Full.ExitCode, 1) << Limit;
    EXPECT_EQ(Full.Output, "Unexpected error") << Limit;
    EXPECT_EQ(ReadBytes(Output), Old) << Limit;
    EXPECT_EQ(Dir.Names(), Expected) << Limit;
  }

  // Tiles replace a result in strips.
  Stack(Inputs, Output, slTiles);
  EXPECT_TRUE(ProbeTiff(Output).Tiled);
  EXPECT_EQ(Dir.Names(), Expected);
}

// velmora-stack's host with two reading threads: no picture, so the run
// holds only its own buffers.
class THiddenHost : public TScriptedHost {
public:
  bool ShowsPicture() const override { return false; }
  int Threads() const override { return 2; }
};

// Two exposures of 6000 x 4000 pixels need 288 MB of sums and 72 MB for
// each decoded file, three of which two threads hold at once: 400 MB
// cannot hold the run. Both attempts in the same process fail cleanly, and
// afterwards a block of 220 MB still fits beside what the two threads keep
// reserved for the rest of the process (64 MB of heap each, their stacks),
// which a leaked sum (288 MB) or a leaked bitmap (72 MB) would not leave
// room for.
TEST_F(SaveFault, NoAddressSpaceLeftIsACleanOutOfMemoryEveryBufferFreed) {
  if (AddressSanitized())
    GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space than any limit";
  const std::vector<std::string> Inputs = {Exposure("a.jpg", 6000, 4000, 60),
                                           Exposure("b.jpg", 6000, 4000, 120)};
  const std::string Output = Dir.File("out.tif");
  WriteBytes(Output, "old result");
  const TChildResult Starved = RunInChild([&] {
    LimitAddressSpaceTo(uint64_t{400} << 20);
    std::string Record;
    for (int Attempt = 0; Attempt < 2; ++Attempt) {
      THiddenHost Host;
      Host.OpenAnswers.push_back({true, Inputs, 1});
      Host.SaveAnswer = Output;
      try {
        RunStacking(Host);
        Record += "written\n";
      } catch (const std::exception& Failure) {
        Record += std::string(Failure.what()) + "\n";
      }
      Record += "cursor " + std::to_string(Host.CurrentCursor) + "\n";
    }
    const auto Block = AllocArray<uint8_t>(int64_t{220} << 20);
    return Record + "block of 220 MB taken";
  });
  ASSERT_TRUE(Starved.Exited) << "signal " << Starved.Signal;
  EXPECT_EQ(Starved.ExitCode, 0);
  const std::string Once = "Out of memory\ncursor " + std::to_string(crDefault) + "\n";
  EXPECT_EQ(Starved.Output, Once + Once + "block of 220 MB taken");
  EXPECT_EQ(ReadBytes(Output), "old result");
  EXPECT_EQ(Dir.Names(),
            (std::vector<std::string>{"VadevEzuzeva.ini", "a.jpg", "b.jpg", "out.tif"}));
}

} // namespace
