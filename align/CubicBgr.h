#pragma once
// Bicubic resampling of rows of blue, green, red bytes through a
// perspective transform: fixed-point weights for 1/32 of a pixel, the
// vertical pass in integers and the horizontal one in floats, four
// neighbours a side, the edge repeated and ringing clamped to 0 .. 255.
#include <cstdint>

struct TBgrPicture {
  int Width = 0;
  int Height = 0;
  const uint8_t* Bytes = nullptr;
  int64_t Stride = 0;
};

// Writes rows Y0 .. Y0 + Rows - 1 of a Width-wide target (starting at
// Target, Stride bytes apart): each target pixel (x, y) takes Source at
// ToSource (row by row, 3 x 3) applied to (x, y).
void CubicBgrRows(const double* ToSource, const TBgrPicture& Source, uint8_t* Target,
                  int64_t Stride, int Width, int Y0, int Rows);
