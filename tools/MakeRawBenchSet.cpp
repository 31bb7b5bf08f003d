// Makes a bracket of synthetic camera raw files for the raw benchmark:
//   MakeRawBenchSet WIDTH HEIGHT COUNT FOLDER
// Uncompressed 12-bit DNGs behind an RGGB filter, as the tests make them;
// exposure i holds the same scene with 2^i times the light, so the later
// ones clip in the highlights as a real bracket does.
#include "DngMaker.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

// Light of the scene in 0..1: a warm glow from the upper left over a cool
// floor, with fine texture for the demosaicing to work on.
std::array<double, 3> Scene(uint32_t X, uint32_t Y, uint32_t Width, uint32_t Height) {
  const double U = static_cast<double>(X) / Width;
  const double V = static_cast<double>(Y) / Height;
  const double Glow = std::exp(-4.0 * (U * U + V * V));
  const double Texture = 0.9 + 0.1 * std::sin(X * 0.7) * std::sin(Y * 0.9);
  const double Base = (0.05 + 0.45 * Glow) * Texture;
  return {Base * 1.2, Base, Base * (0.8 + 0.4 * V)};
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: MakeRawBenchSet WIDTH HEIGHT COUNT FOLDER\n");
    return 2;
  }
  const long Width = std::atol(argv[1]);
  const long Height = std::atol(argv[2]);
  const int Count = std::atoi(argv[3]);
  const std::string Folder = argv[4];
  if (Width < 22 || Height < 22 || Width > 65535 || Height > 65535 || Count <= 0) {
    std::fprintf(stderr, "MakeRawBenchSet: bad arguments\n");
    return 2;
  }
  const auto W = static_cast<uint32_t>(Width);
  const auto H = static_cast<uint32_t>(Height);
  try {
    for (int I = 0; I < Count; ++I) {
      const double Gain = std::ldexp(1.0, I);
      const TDngPicture Picture = TDngPicture::Of(W, H, [&](uint32_t X, uint32_t Y) {
        std::array<double, 3> Light = Scene(X, Y, W, H);
        for (double& L : Light)
          L *= Gain;
        return Light;
      });
      char Name[32];
      std::snprintf(Name, sizeof Name, "/exposure%03d.dng", I);
      WriteDng(Folder + Name, Picture);
    }
  } catch (const std::exception& Failure) {
    std::fprintf(stderr, "MakeRawBenchSet: %s\n", Failure.what());
    return 1;
  }
  return 0;
}
