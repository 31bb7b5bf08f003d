// velmora-stack --align on synthetic hand-held brackets with known moves.
#include "ChildProcess.h"
#include "HandheldBracket.h"
#include "TempDir.h"
#include "TiffProbe.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int Width = 640;
constexpr int Height = 480;

// Whether every point of the first picture's rectangle lies in the shot
// that Move places, Slack pixels of its edge allowed.
bool Covers(const TMove& Move, double X, double Y, double Slack) {
  // Where the point lies in the shot: the inverse of Move, by the adjugate.
  const TMove& M = Move;
  const TMove Inverse{
      M[4] * M[8] - M[5] * M[7], M[2] * M[7] - M[1] * M[8], M[1] * M[5] - M[2] * M[4],
      M[5] * M[6] - M[3] * M[8], M[0] * M[8] - M[2] * M[6], M[2] * M[3] - M[0] * M[5],
      M[3] * M[7] - M[4] * M[6], M[1] * M[6] - M[0] * M[7], M[0] * M[4] - M[1] * M[3]};
  const auto P = Moved(Inverse, X, Y);
  return P[0] >= -Slack && P[1] >= -Slack && P[0] <= Width - 1 + Slack &&
         P[1] <= Height - 1 + Slack;
}

bool CoversRect(const std::vector<TMove>& Moves, double X0, double Y0, double X1, double Y1,
                double Slack) {
  for (const TMove& Move : Moves)
    for (const auto& [X, Y] : {std::array<double, 2>{X0, Y0}, {X1, Y0}, {X0, Y1}, {X1, Y1}})
      if (!Covers(Move, X, Y, Slack))
        return false;
  return true;
}

// velmora-stack with Args, run to its end; Output holds its stderr.
TChildResult StackIn(const TTempDir& Dir, const std::vector<std::string>& Args) {
  return TChildProgram(StackProgramCommand(Args), {}, Dir.File("stderr")).Wait();
}

class AlignRun : public ::testing::TestWithParam<bool> {
protected:
  TChildResult Stack(const std::vector<std::string>& Args) { return StackIn(Dir, Args); }
  TTempDir Dir;
};

TEST_P(AlignRun, PlacesEveryShotWithinAQuarterPixelAndKeepsTheCommonArea) {
  const bool Jpeg = GetParam();
  const std::vector<TShot> Shots{
      {NoMove, 0},
      {HandheldMove(Width, Height, 0.7, 31.5, -22.3, 1.004, 0.02, -0.01), -1.7},
      {HandheldMove(Width, Height, -1.6, -57.5, 41.2, 0.992, 0, 0.015), 1.8}};
  const auto Files =
      WriteBracket(Dir.Path().string(), THandheldScene(1), Width, Height, Shots, Jpeg);
  const std::string Output = Dir.File("out.tif");
  const std::string Report = Dir.File("r.json");
  const TChildResult Run =
      Stack({"-a", "-j", "3", "--report", Report, "-o", Output, Files[0], Files[1], Files[2]});
  ASSERT_EQ(Run.ExitCode, 0) << Run.Output;
  // The same bytes on one thread.
  const TChildResult Alone =
      Stack({"-a", "-j", "1", "-o", Dir.File("alone.tif"), Files[0], Files[1], Files[2]});
  ASSERT_EQ(Alone.ExitCode, 0) << Alone.Output;
  EXPECT_TRUE(ReadBytes(Output) == ReadBytes(Dir.File("alone.tif")));
  const TReadReport Read = ReadReport(ReadBytes(Report));
  EXPECT_EQ(Read.Width, Width);
  EXPECT_EQ(Read.Height, Height);
  ASSERT_EQ(Read.Transforms.size(), 3U);
  EXPECT_EQ(Read.Names, Files);
  EXPECT_EQ(Read.Transforms[0], NoMove);
  std::vector<TMove> Truths;
  for (size_t I = 0; I < 3; ++I) {
    Truths.push_back(Shots[I].Move);
    EXPECT_LE(CornerDistance(Read.Transforms[I], Shots[I].Move, Width, Height), 0.25) << I;
  }
  EXPECT_GE(Read.Inliers[1], 8);
  // The crop lies inside every shot, and grows out of one on any side.
  const auto [X, Y, W, H] = Read.Crop;
  EXPECT_TRUE(CoversRect(Truths, X, Y, X + W - 1, Y + H - 1, 0.1));
  EXPECT_FALSE(CoversRect(Truths, X - 2, Y, X + W - 1, Y + H - 1, 0));
  EXPECT_FALSE(CoversRect(Truths, X, Y - 2, X + W - 1, Y + H - 1, 0));
  EXPECT_FALSE(CoversRect(Truths, X, Y, X + W + 1, Y + H - 1, 0));
  EXPECT_FALSE(CoversRect(Truths, X, Y, X + W - 1, Y + H + 1, 0));
  const TTiffProbe Probe = ProbeTiff(Output);
  EXPECT_EQ(Probe.Width, static_cast<uint32_t>(W));
  EXPECT_EQ(Probe.Height, static_cast<uint32_t>(H));
}

TEST_P(AlignRun, LeavesATripodBracketByteForByte) {
  const std::vector<TShot> Shots{{NoMove, 0}, {NoMove, -2}, {NoMove, 2}};
  const auto Files =
      WriteBracket(Dir.Path().string(), THandheldScene(2), Width, Height, Shots, GetParam());
  const TChildResult Plain = Stack({"--report", Dir.File("plain.json"), "-o", Dir.File("plain.tif"),
                                    Files[0], Files[1], Files[2]});
  const TChildResult Aligned = Stack({"-a", "--report", Dir.File("aligned.json"), "-o",
                                      Dir.File("aligned.tif"), Files[0], Files[1], Files[2]});
  ASSERT_EQ(Plain.ExitCode, 0) << Plain.Output;
  ASSERT_EQ(Aligned.ExitCode, 0) << Aligned.Output;
  EXPECT_TRUE(ReadBytes(Dir.File("plain.tif")) == ReadBytes(Dir.File("aligned.tif")));
  for (const std::string Report : {"plain.json", "aligned.json"}) {
    const TReadReport Read = ReadReport(ReadBytes(Dir.File(Report)));
    EXPECT_EQ(Read.Crop, (std::array<int, 4>{0, 0, Width, Height}));
    ASSERT_EQ(Read.Transforms.size(), 3U);
    for (const TMove& Move : Read.Transforms)
      EXPECT_EQ(Move, NoMove) << Report;
  }
}

INSTANTIATE_TEST_SUITE_P(JpegAndTiff, AlignRun, ::testing::Values(true, false),
                         [](const auto& Info) { return Info.param ? "Jpeg" : "Tiff16"; });

struct TStranger {
  const char* Name;
  uint32_t Seed;
  double Texture;
};

class Unalignable : public ::testing::TestWithParam<TStranger> {};

TEST_P(Unalignable, EndsTheRunNamingTheFileAndWritesNothing) {
  TTempDir Dir;
  const THandheldScene Scene(1);
  auto Files = WriteBracket(Dir.Path().string(), Scene, Width, Height, {{NoMove, 0}}, false);
  const std::string Stranger = Dir.File("stranger.tif");
  WriteTiff(Stranger,
            THandheldScene(GetParam().Seed, GetParam().Texture).Tiff16(Width, Height, {}));
  const TChildResult Run = StackIn(
      Dir, {"-a", "--report", Dir.File("r.json"), "-o", Dir.File("out.tif"), Files[0], Stranger});
  EXPECT_EQ(Run.ExitCode, 1);
  EXPECT_NE(Run.Output.find("'" + Stranger + "'"), std::string::npos) << Run.Output;
  EXPECT_NE(Run.Output.find("ausrichten"), std::string::npos) << Run.Output;
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.tif")));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("r.json")));
}

INSTANTIATE_TEST_SUITE_P(Scenes, Unalignable,
                         ::testing::Values(TStranger{"AnotherScene", 7, 1},
                                           TStranger{"FeaturelessSky", 1, 0}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
