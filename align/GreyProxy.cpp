#include "GreyProxy.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Linear 16-bit brightness onto 1 .. 65534 with a gamma of 2.2.
const std::array<uint16_t, 65536>& GammaTable() {
  static const std::array<uint16_t, 65536> Table = [] {
    std::array<uint16_t, 65536> Result{};
    for (size_t V = 0; V < Result.size(); ++V)
      Result[V] = static_cast<uint16_t>(1 + std::lround(65533 * std::pow(V / 65535.0, 1 / 2.2)));
    return Result;
  }();
  return Table;
}

// JPEG samples are on a gamma scale already.
uint16_t Grey8(int Blue, int Green, int Red) {
  const int Top = std::max({Blue, Green, Red});
  if (Top >= 250)
    return Clipped;
  if (Top <= 3)
    return Blocked;
  return static_cast<uint16_t>(std::clamp((Blue + 2 * Green + Red) * 64, 1, 65534));
}

uint16_t Grey16(int Red, int Green, int Blue) {
  const int Top = std::max({Blue, Green, Red});
  if (Top >= 64224)
    return Clipped;
  if (Top < 32)
    return Blocked;
  return GammaTable()[static_cast<size_t>((Red + 2 * Green + Blue + 2) / 4)];
}

} // namespace

cv::Mat MakeGreyProxy(const TPictureSamples& Picture, const TSplit& Split) {
  cv::Mat Grey(Picture.Height, Picture.Width, CV_16UC1);
  if (!Picture.Bgr)
    GammaTable();
  Split(Picture.Height, [&](int, int First, int Last) {
    for (int Y = First; Y < Last; ++Y) {
      uint16_t* Out = Grey.ptr<uint16_t>(Y);
      if (Picture.Bgr) {
        const uint8_t* In = Picture.Bgr + Y * Picture.Stride;
        for (int X = 0; X < Picture.Width; ++X, In += 3)
          Out[X] = Grey8(In[0], In[1], In[2]);
      } else {
        const size_t Row = static_cast<size_t>(Y) * static_cast<size_t>(Picture.Width);
        const uint16_t* R = Picture.Planes[0] + Row;
        const uint16_t* G = Picture.Planes[1] + Row;
        const uint16_t* B = Picture.Planes[2] + Row;
        for (int X = 0; X < Picture.Width; ++X)
          Out[X] = Grey16(R[X], G[X], B[X]);
      }
    }
  });
  return Grey;
}
