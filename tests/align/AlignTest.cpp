// Alignment of synthetic hand-held shots whose transforms are known.
#include "Aligner.h"
#include "CommonArea.h"
#include "HandheldBracket.h"
#include "Resample.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr int Width = 640;
constexpr int Height = 480;

// A shot as the aligner reads it, with the samples it points at.
struct TShotPicture {
  std::vector<uint8_t> Bgr;
  std::vector<uint16_t> Planes[3];
  TPictureSamples View;
};

TShotPicture Picture(const THandheldScene& Scene, const TShot& Shot, bool Deep) {
  TShotPicture Result;
  Result.View.Width = Width;
  Result.View.Height = Height;
  const size_t Pixels = size_t{Width} * Height;
  if (Deep) {
    const TTiffPicture Tiff = Scene.Tiff16(Width, Height, Shot);
    for (size_t C = 0; C < 3; ++C) {
      Result.Planes[C].resize(Pixels);
      for (size_t I = 0; I < Pixels; ++I)
        Result.Planes[C][I] = static_cast<uint16_t>(Tiff.Samples[I * 3 + C]);
      Result.View.Planes[C] = Result.Planes[C].data();
    }
  } else {
    const TJpegPicture Jpeg = Scene.Jpeg(Width, Height, Shot);
    Result.Bgr.resize(Pixels * 3);
    for (size_t I = 0; I < Pixels; ++I)
      for (size_t C = 0; C < 3; ++C)
        Result.Bgr[I * 3 + C] = Jpeg.Samples[I * 3 + 2 - C];
    Result.View.Bgr = Result.Bgr.data();
    Result.View.Stride = Width * 3;
  }
  return Result;
}

// Parts threads, as the run shares its idle cores.
TSplit Threads(int Parts) {
  return [Parts](int Count, const std::function<void(int, int, int)>& Body) {
    std::vector<std::jthread> Helpers;
    for (int Part = 1; Part < Parts; ++Part)
      Helpers.emplace_back(
          [&, Part] { Body(Part, Count * Part / Parts, Count * (Part + 1) / Parts); });
    Body(0, 0, Count / Parts);
  };
}

struct TCase {
  const char* Name;
  double Degrees, Dx, Dy, Scale, TiltX, TiltY, Ev;
  bool Deep;
};

const TCase Cases[] = {
    {"turn_and_shift_dark_16bit", 0.7, 31.5, -22.3, 1.004, 0.02, -0.01, -1.7, true},
    {"turn_back_bright_16bit", -0.45, -28, 17.6, 0.995, 0, 0.015, 1.3, true},
    {"two_degrees_far_dark_8bit", 2, 100, -60, 1.01, 0.01, 0.01, -2, false},
    {"minus_two_degrees_bright_8bit", -2, -95, 80, 0.99, -0.015, 0, 2, false},
    {"small_move_same_exposure_8bit", 0.1, 3.3, 1.2, 1, 0, 0, 0, false},
};

class HandheldShot : public ::testing::TestWithParam<TCase> {};

TEST_P(HandheldShot, LiesWithinAQuarterPixelAtEveryCorner) {
  const TCase& Case = GetParam();
  const THandheldScene Scene(1);
  const TShotPicture First = Picture(Scene, {}, Case.Deep);
  const TMove Truth = HandheldMove(Width, Height, Case.Degrees, Case.Dx, Case.Dy, Case.Scale,
                                   Case.TiltX, Case.TiltY);
  const TShotPicture Shot = Picture(Scene, {Truth, Case.Ev}, Case.Deep);
  TAligner Aligner(Threads(2));
  Aligner.SetReference(First.View);
  const TPlacement Placement = Aligner.Estimate(Shot.View);
  EXPECT_FALSE(Placement.Untouched);
  EXPECT_LE(CornerDistance(Placement.Transform, Truth, Width, Height), 0.25);
  EXPECT_GE(Placement.Inliers, 8);
  EXPECT_LT(Placement.Residual, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Brackets, HandheldShot, ::testing::ValuesIn(Cases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(HandheldShot, OnATripodIsLeftAsRead) {
  const THandheldScene Scene(1);
  TAligner Aligner(Threads(1));
  for (const bool Deep : {false, true}) {
    Aligner.SetReference(Picture(Scene, {}, Deep).View);
    for (const double Ev : {-2.0, 2.0}) {
      const TPlacement Placement = Aligner.Estimate(Picture(Scene, {NoMove, Ev}, Deep).View);
      EXPECT_TRUE(Placement.Untouched) << Ev;
      EXPECT_EQ(Placement.Transform, IdentityTransform);
    }
  }
}

TEST(HandheldShot, OfAnotherSceneOrOfAFeaturelessSkyIsRefused) {
  const THandheldScene Scene(1);
  TAligner Aligner(Threads(2));
  Aligner.SetReference(Picture(Scene, {}, true).View);
  for (const THandheldScene& Other : {THandheldScene(7), THandheldScene(1, 0)})
    EXPECT_THROW(Aligner.Estimate(Picture(Other, {}, true).View), EAlignRefused);
}

TEST(CommonArea, IsWhatEveryShiftedShotCovers) {
  // Shifted right by 10.3 and up by 5.2: columns from 11 on, rows up to
  // Height - 7; shifted left by 3.5 as well: columns up to Width - 5.
  const TMove Right = HandheldMove(Width, Height, 0, 10.3, -5.2);
  const TMove Left = HandheldMove(Width, Height, 0, -3.5, 0);
  const TCropRect Crop = CommonArea(Width, Height, {NoMove, Right, Left});
  EXPECT_EQ(Crop.X, 11);
  EXPECT_EQ(Crop.Y, 0);
  EXPECT_EQ(Crop.Width, Width - 4 - 11);
  EXPECT_EQ(Crop.Height, Height - 6);
  const TCropRect Whole = CommonArea(Width, Height, {NoMove, NoMove});
  EXPECT_EQ(Whole.Width * Whole.Height, Width * Height);
}

TEST(Resample, MovesByWholePixelsExactlyAndAlikeOnAnyThreads) {
  const THandheldScene Scene(3);
  // Onto the first grid, the shot moved 7 right and 4 down: pixel (x, y)
  // of the result is the shot's (x - 7, y - 4).
  const TMove Move = HandheldMove(Width, Height, 0, 7, 4);
  const std::array<std::array<int, 2>, 3> Places{{{7, 4}, {300, 200}, {Width - 1, Height - 1}}};
  const TShotPicture Deep = Picture(Scene, {}, true);
  std::vector<uint16_t> One(size_t{Width} * Height), Three(One.size());
  ResamplePlane16(Move, Width, Height, Deep.Planes[1].data(), One.data(), Threads(1));
  ResamplePlane16(Move, Width, Height, Deep.Planes[1].data(), Three.data(), Threads(3));
  EXPECT_EQ(One, Three);
  for (const auto& [X, Y] : Places)
    EXPECT_EQ(One[size_t(Y) * Width + size_t(X)],
              Deep.Planes[1][size_t(Y - 4) * Width + size_t(X - 7)]);
  const TShotPicture Jpeg = Picture(Scene, {}, false);
  std::vector<uint8_t> OneBgr(Jpeg.Bgr.size()), ThreeBgr(Jpeg.Bgr.size());
  ResampleBgr(Move, Width, Height, Jpeg.Bgr.data(), Width * 3, OneBgr.data(), Width * 3,
              Threads(1));
  ResampleBgr(Move, Width, Height, Jpeg.Bgr.data(), Width * 3, ThreeBgr.data(), Width * 3,
              Threads(3));
  EXPECT_EQ(OneBgr, ThreeBgr);
  for (const auto& [X, Y] : Places)
    for (size_t C = 0; C < 3; ++C)
      EXPECT_EQ(OneBgr[(size_t(Y) * Width + size_t(X)) * 3 + C],
                Jpeg.Bgr[(size_t(Y - 4) * Width + size_t(X - 7)) * 3 + C]);
}

TEST(Resample, PutsAHalfPixelMoveOfARampHalfway) {
  // Each channel rises by 2, 4 and 6 a column; moved half a pixel right,
  // a column lies halfway between the shot's column and the one before.
  std::vector<uint8_t> Ramp(size_t{Width} * Height * 3);
  for (size_t I = 0; I < Ramp.size(); ++I)
    Ramp[I] = static_cast<uint8_t>(std::min<size_t>((I / 3) % Width, 40) * (2 + 2 * (I % 3)));
  std::vector<uint8_t> Out(Ramp.size());
  ResampleBgr(HandheldMove(Width, Height, 0, 0.5, 0), Width, Height, Ramp.data(), Width * 3,
              Out.data(), Width * 3, Threads(2));
  for (size_t X = 2; X < 39; ++X)
    for (size_t C = 0; C < 3; ++C)
      EXPECT_EQ(Out[(size_t{100} * Width + X) * 3 + C], (2 * X - 1) * (1 + C)) << X << " " << C;
}

TEST(Resample, KeepsRingingWithinTheSampleRange) {
  // A hard edge of black and white moved by half a pixel rings past both.
  std::vector<uint8_t> Edge(size_t{Width} * Height * 3);
  for (size_t I = 0; I < Edge.size(); ++I)
    Edge[I] = (I / 3) % Width < Width / 2 ? 0 : 255;
  std::vector<uint8_t> Out(Edge.size());
  ResampleBgr(HandheldMove(Width, Height, 0, 0.5, 0), Width, Height, Edge.data(), Width * 3,
              Out.data(), Width * 3, Threads(1));
  const size_t Row = size_t{200} * Width * 3;
  EXPECT_EQ(Out[Row + (Width / 2 - 3) * 3], 0);
  EXPECT_EQ(Out[Row + (Width / 2 + 2) * 3], 255);
  EXPECT_GT(Out[Row + (Width / 2) * 3], 0);
  EXPECT_LT(Out[Row + (Width / 2) * 3], 255);
}

} // namespace
