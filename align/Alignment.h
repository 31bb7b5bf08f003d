#pragma once
// What aligning one picture to the first gives: the transform onto the
// first one's grid and how well the data supported it.
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// A 3 x 3 matrix, row by row, that maps a picture's pixel coordinates
// (x the column, y the row, pixel centres at integers) onto the first
// picture's.
using TTransform = std::array<double, 9>;

inline constexpr TTransform IdentityTransform{1, 0, 0, 0, 1, 0, 0, 0, 1};

struct TPlacement {
  TTransform Transform = IdentityTransform;
  // Untouched: the picture is added exactly as read.
  bool Untouched = true;
  // The places the final fit rests on and their root-mean-square distance
  // from it, in pixels.
  int Inliers = 0;
  double Residual = 0;
};

// An axis-aligned rectangle of pixels.
struct TCropRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

// A picture as the aligner reads it: rows of blue, green, red bytes, or
// three planes of 16-bit samples (red, green, blue).
struct TPictureSamples {
  int Width = 0;
  int Height = 0;
  const uint8_t* Bgr = nullptr;
  int64_t Stride = 0;
  const uint16_t* Planes[3] = {nullptr, nullptr, nullptr};
};

// Runs Body(Part, First, Last) over consecutive ranges that cover 0 ..
// Count - 1, on as many threads as the caller grants; returns when all
// are done. Body does not raise.
using TSplit = std::function<void(int Count, const std::function<void(int, int, int)>& Body)>;

// A picture that cannot be aligned; what() says why.
class EAlignRefused : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
