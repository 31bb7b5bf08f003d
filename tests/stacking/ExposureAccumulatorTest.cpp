#include "ExposureAccumulator.h"
#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One pixel row of blue, green, red bytes.
std::vector<uint8_t> Bgr(std::initializer_list<uint8_t> Bytes) {
  return Bytes;
}

struct TOutput {
  std::vector<uint16_t> Red, Green, Blue;
};

TOutput Export(TExposureAccumulator& Sums, float Scale) {
  const size_t Count = static_cast<size_t>(Sums.Width) * Sums.Height;
  TOutput Out{std::vector<uint16_t>(Count), std::vector<uint16_t>(Count),
              std::vector<uint16_t>(Count)};
  Sums.ExportPlanes16(Scale, Out.Red.data(), Out.Green.data(), Out.Blue.data());
  return Out;
}

// A 1 x 1 accumulator holding sums R, G, B.
TExposureAccumulator Single(float Red, float Green, float Blue) {
  TExposureAccumulator Sums;
  Sums.Allocate(1, 1);
  Sums.RedSum[0] = Red;
  Sums.GreenSum[0] = Green;
  Sums.BlueSum[0] = Blue;
  return Sums;
}

TEST(ExposureAccumulator, StartsEmpty) {
  const TExposureAccumulator Sums;
  EXPECT_EQ(Sums.Width, -1);
  EXPECT_EQ(Sums.Height, -1);
  EXPECT_FALSE(Sums.Allocated);
  EXPECT_EQ(Sums.Maximum, 0.0f);
  EXPECT_FALSE(Sums.RedSum);
}

TEST(ExposureAccumulator, TwoExposuresSumScaleAndTruncate) {
  TExposureAccumulator Sums;
  Sums.Allocate(1, 1);
  Sums.AddBgrRow(0, Bgr({30, 20, 10}).data()); // red 10, green 20, blue 30
  Sums.AddBgrRow(0, Bgr({5, 5, 5}).data());
  EXPECT_EQ(Sums.RedSum[0], 15.0f);
  EXPECT_EQ(Sums.GreenSum[0], 25.0f);
  EXPECT_EQ(Sums.BlueSum[0], 35.0f);
  EXPECT_EQ(Sums.UpdateMaximum(), 35.0f);
  const float Preview = Sums.ScaleFor(255);
  EXPECT_EQ(Preview, 255.0f / 35.0f);
  uint8_t Row[3] = {};
  Sums.RenderPreviewRow(0, Preview, Row);
  EXPECT_EQ(Row[0], 254); // blue: 35 times the rounded scale is 254.999995
  EXPECT_EQ(Row[1], 182);
  EXPECT_EQ(Row[2], 109);
  const TOutput Out = Export(Sums, Sums.ScaleFor(65535));
  EXPECT_EQ(Out.Red[0], 28086);
  EXPECT_EQ(Out.Green[0], 46810);
  EXPECT_EQ(Out.Blue[0], 65535);
}

TEST(ExposureAccumulator, AllBlackClampsMaximumToOne) {
  TExposureAccumulator Sums;
  Sums.Allocate(3, 2);
  const auto Black = Bgr({0, 0, 0, 0, 0, 0, 0, 0, 0});
  for (int Y = 0; Y < 2; ++Y)
    Sums.AddBgrRow(Y, Black.data());
  EXPECT_EQ(Sums.UpdateMaximum(), 0.0f);
  EXPECT_EQ(Sums.ScaleFor(255), 255.0f);
  EXPECT_EQ(Sums.Maximum, 1.0f); // the clamped value stays
  uint8_t Row[9];
  std::fill_n(Row, 9, 0xAA);
  Sums.RenderPreviewRow(1, 255.0f, Row);
  EXPECT_EQ(std::vector<uint8_t>(Row, Row + 9), std::vector<uint8_t>(9, 0));
  const TOutput Out = Export(Sums, Sums.ScaleFor(65535));
  EXPECT_EQ(Out.Red, std::vector<uint16_t>(6, 0));
  EXPECT_EQ(Out.Blue, std::vector<uint16_t>(6, 0));
}

TEST(ExposureAccumulator, BrightestValuesDependOnScaleRounding) {
  struct TCase {
    float Maximum;
    uint8_t Preview;
    uint16_t Output;
  };
  for (const TCase& Case : {TCase{7, 254, 65534}, TCase{3, 255, 65535}, TCase{65535, 254, 65535}}) {
    SCOPED_TRACE(Case.Maximum);
    // The maximum sits in green, with a dimmer red: one scale for all.
    TExposureAccumulator Sums = Single(1, Case.Maximum, 0);
    EXPECT_EQ(Sums.UpdateMaximum(), Case.Maximum);
    uint8_t Row[3];
    Sums.RenderPreviewRow(0, Sums.ScaleFor(255), Row);
    EXPECT_EQ(Row[1], Case.Preview);
    EXPECT_EQ(Export(Sums, Sums.ScaleFor(65535)).Green[0], Case.Output);
  }
  EXPECT_EQ(255.0f / 7.0f, 36.4285698f);
}

TEST(ExposureAccumulator, MaximumIsCommonToAllChannels) {
  TExposureAccumulator Sums;
  Sums.Allocate(2, 2);
  const uint16_t Red[4] = {1, 2, 3, 4}, Green[4] = {9, 900, 8, 7}, Blue[4] = {5, 6, 1000, 0};
  Sums.AddPlanes16(Red, Green, Blue);
  EXPECT_EQ(Sums.UpdateMaximum(), 1000.0f);
  // Recomputed from scratch: a lower sum lowers it again.
  Sums.BlueSum[2] = 10;
  EXPECT_EQ(Sums.UpdateMaximum(), 900.0f);
}

TEST(ExposureAccumulator, RowMaximaGiveTheMaximumOfThePlanes) {
  TExposureAccumulator Sums;
  Sums.Allocate(37, 3); // wider than the vector loop, with a remainder
  for (int I = 0; I < 37 * 3; ++I) {
    Sums.RedSum[I] = static_cast<float>((I * 37) % 101);
    Sums.GreenSum[I] = static_cast<float>((I * 53) % 97);
    Sums.BlueSum[I] = static_cast<float>((I * 29) % 89);
  }
  Sums.GreenSum[2 * 37 + 36] = 250.5f; // last pixel of the last row
  float Rows = 0;
  for (int Y = 0; Y < 3; ++Y)
    Rows = Sums.RowMaximum(Y, Rows);
  EXPECT_EQ(Rows, 250.5f);
  EXPECT_EQ(Sums.UpdateMaximum(), Rows);
  EXPECT_EQ(Sums.RowMaximum(0, 1000.0f), 1000.0f); // Result is kept when larger
  EXPECT_EQ(Sums.RowMaximum(0, 0.0f), 100.0f);
}

TEST(ExposureAccumulator, SecondAllocateChangesNothing) {
  TExposureAccumulator Sums;
  Sums.Allocate(2, 1);
  Sums.AddBgrRow(0, Bgr({1, 2, 3, 4, 5, 6}).data());
  Sums.Allocate(5, 7);
  EXPECT_EQ(Sums.Width, 2);
  EXPECT_EQ(Sums.Height, 1);
  EXPECT_EQ(Sums.RedSum[1], 6.0f);
  EXPECT_EQ(Sums.BlueSum[0], 1.0f);
}

TEST(ExposureAccumulator, ChannelsLandInTheirPlanes) {
  TExposureAccumulator Sums;
  Sums.Allocate(2, 2);
  // Row 1 only; the padding byte after the row is not read.
  const auto Row = Bgr({10, 20, 30, 40, 50, 60, 99, 99});
  Sums.AddBgrRow(1, Row.data());
  EXPECT_EQ(Sums.RedSum[2], 30.0f);
  EXPECT_EQ(Sums.GreenSum[2], 20.0f);
  EXPECT_EQ(Sums.BlueSum[2], 10.0f);
  EXPECT_EQ(Sums.RedSum[3], 60.0f);
  EXPECT_EQ(Sums.BlueSum[3], 40.0f);
  EXPECT_EQ(Sums.RedSum[0], 0.0f);
  const uint16_t Red[4] = {1000, 0, 0, 0}, Green[4] = {}, Blue[4] = {0, 0, 0, 7};
  Sums.AddPlanes16(Red, Green, Blue);
  EXPECT_EQ(Sums.RedSum[0], 1000.0f);
  EXPECT_EQ(Sums.BlueSum[3], 47.0f);
  // Export writes red sums into the first plane, blue into the third;
  // the preview puts blue first in the row.
  const TOutput Out = Export(Sums, 1.0f);
  EXPECT_EQ(Out.Red, (std::vector<uint16_t>{1000, 0, 30, 60}));
  EXPECT_EQ(Out.Green, (std::vector<uint16_t>{0, 0, 20, 50}));
  EXPECT_EQ(Out.Blue, (std::vector<uint16_t>{0, 0, 10, 47}));
  uint8_t Preview[6];
  Sums.RenderPreviewRow(1, 1.0f, Preview);
  EXPECT_EQ(std::vector<uint8_t>(Preview, Preview + 6),
            (std::vector<uint8_t>{10, 20, 30, 47, 50, 60}));
}

TEST(ExposureAccumulator, TileExportMatchesThePlanesInterleaved) {
  TExposureAccumulator Sums;
  Sums.Allocate(5, 3);
  for (int I = 0; I < 15; ++I) {
    Sums.RedSum[I] = 1000.5f * I;
    Sums.GreenSum[I] = 3.25f * I + 1;
    Sums.BlueSum[I] = 70000.0f - 7 * I;
  }
  Sums.UpdateMaximum();
  const float Scale = Sums.ScaleFor(65535);
  const TOutput Planes = Export(Sums, Scale);
  // Columns 3..4 of rows 1..2 into a tile of rows 4 pixels wide.
  constexpr size_t Stride = 12;
  std::vector<uint16_t> Tile(2 * Stride, 0xBEEF);
  Sums.ExportTile16(Scale, 3, 1, 2, 2, Tile.data(), Stride);
  for (size_t R = 0; R < 2; ++R) {
    for (size_t C = 0; C < 4; ++C) {
      const uint16_t* Pixel = &Tile[R * Stride + C * 3];
      SCOPED_TRACE(testing::Message() << "row " << R << " column " << C);
      if (C >= 2) {
        EXPECT_EQ(Pixel[0], 0xBEEF); // beyond Cols: untouched
        continue;
      }
      const size_t I = (1 + R) * 5 + 3 + C;
      EXPECT_EQ(Pixel[0], Planes.Red[I]);
      EXPECT_EQ(Pixel[1], Planes.Green[I]);
      EXPECT_EQ(Pixel[2], Planes.Blue[I]);
    }
  }
}

TEST(ExposureAccumulator, SumsAbove2To24AreRounded) {
  TExposureAccumulator Sums;
  Sums.Allocate(1, 1);
  const uint16_t Full[1] = {65535}, None[1] = {0};
  for (int I = 0; I < 256; ++I)
    Sums.AddPlanes16(Full, None, None);
  EXPECT_EQ(Sums.RedSum[0], 256.0f * 65535); // 16,776,960: still exact
  Sums.AddPlanes16(Full, None, None);
  // 16,842,495 is odd and not a float; it rounds to an even neighbour.
  EXPECT_EQ(Sums.RedSum[0], 16842496.0f);
  EXPECT_NE(static_cast<double>(Sums.RedSum[0]), 257.0 * 65535);
  const uint8_t One[3] = {0, 0, 1};
  Sums.RedSum[0] = 16777216.0f;
  Sums.AddBgrRow(0, One); // 2^24 + 1 ties to even: unchanged
  EXPECT_EQ(Sums.RedSum[0], 16777216.0f);
}

TEST(ExposureAccumulator, PlaneTooLargeIsOutOfMemory) {
  TExposureAccumulator Sums;
  // 4 bytes times 40000 x 20000 leaves a 32-bit signed byte count.
  EXPECT_THROW(Sums.Allocate(40000, 20000), EOutOfMemory);
  EXPECT_FALSE(Sums.Allocated);
  EXPECT_THROW(Sums.Allocate(-1, 5), EOutOfMemory);
  // Still usable for a size that fits.
  Sums.Allocate(4, 2);
  EXPECT_TRUE(Sums.Allocated);
  EXPECT_EQ(Sums.Width, 4);
  Sums.Release();
  EXPECT_FALSE(Sums.RedSum);
  EXPECT_FALSE(Sums.BlueSum);
}

} // namespace
