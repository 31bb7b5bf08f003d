#pragma once
// Three 16-bit planes for writer tests: a different, position-dependent
// value in every sample and channel, never 0 so that a zero fill is told
// apart.
#include "AsSaveTiff16Unit.h"
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
  // Written as the window writes its result: tiled, through SaveTiff16.
  void Save(const std::string& FileName, TTiffCompression Compression = tcNone) const {
    SaveTiff16(FileName, Compression, Width, Height, Red.data(), Green.data(), Blue.data());
  }
  TTileSource Source() const { return PlanesSource(Width, Red.data(), Green.data(), Blue.data()); }
};

// A file read back holds exactly the picture: its size and every sample.
inline void ExpectPicture(const TTiffProbe& Probe, const TPlanePicture& Picture) {
  EXPECT_EQ(Probe.Width, Picture.Width);
  EXPECT_EQ(Probe.Height, Picture.Height);
  EXPECT_EQ(Probe.Red, Picture.Red);
  EXPECT_EQ(Probe.Green, Picture.Green);
  EXPECT_EQ(Probe.Blue, Picture.Blue);
}
