#pragma once
// Three 16-bit planes for writer tests: a different, position-dependent
// value in every sample and channel, never 0 so that a zero fill is told
// apart.
#include "AsSaveTiff16Unit.h"
#include "ResultFile.h"
#include "TiffProbe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct TPlanePicture {
  uint32_t Width, Height;
  std::vector<uint16_t> Red, Green, Blue;

  TPlanePicture(uint32_t W, uint32_t H) : Width(W), Height(H) {
    for (uint32_t Y = 0; Y < H; ++Y)
      for (uint32_t X = 0; X < W; ++X) {
        Red.push_back(static_cast<uint16_t>(1 + X + 7 * Y));
        Green.push_back(static_cast<uint16_t>(30000 + X * 3 + Y));
        Blue.push_back(static_cast<uint16_t>(65535 - X - Y));
      }
  }
  // Written through the product's writer, by default as the window writes
  // its result: tiled, uncompressed, nothing beside the pixels.
  void Save(const std::string& FileName, TTiffCompression Compression = tcNone,
            TSaveLayout Layout = slTiles) const {
    SaveTiffFile(FileName, Result(Compression, Layout), Source());
  }
  TTiffResult Result(TTiffCompression Compression = tcNone, TSaveLayout Layout = slTiles) const {
    return {Width, Height, Layout, Compression, {}};
  }
  TTileSource Source() const {
    return [this](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, uint16_t* Tile,
                  size_t Stride) {
      for (uint32_t R = 0; R < Rows; ++R)
        for (uint32_t C = 0; C < Cols; ++C) {
          const size_t I = size_t{Y0 + R} * Width + X0 + C;
          uint16_t* Out = Tile + R * Stride + size_t{C} * 3;
          Out[0] = Red[I];
          Out[1] = Green[I];
          Out[2] = Blue[I];
        }
    };
  }
};

// A file read back holds exactly the picture: its size and every sample.
inline void ExpectPicture(const TTiffProbe& Probe, const TPlanePicture& Picture) {
  EXPECT_EQ(Probe.Width, Picture.Width);
  EXPECT_EQ(Probe.Height, Picture.Height);
  EXPECT_EQ(Probe.Red, Picture.Red);
  EXPECT_EQ(Probe.Green, Picture.Green);
  EXPECT_EQ(Probe.Blue, Picture.Blue);
}
