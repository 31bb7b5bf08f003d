// Makes a hand-held bracket for the alignment benchmark and the README:
//   MakeHandheldSet jpeg|tiff16 WIDTH HEIGHT FOLDER
// Three exposures of one textured scene (0, -1.7 and +1.3 EV, highlights
// clipped), the second and third turned by 0.7 and -0.45 degrees, shifted
// by about 1.2 % of the width, scaled and tilted slightly. Prints each
// file's true transform onto the first, row by row.
#include "HandheldBracket.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: MakeHandheldSet jpeg|tiff16 WIDTH HEIGHT FOLDER\n");
    return 2;
  }
  const bool Jpeg = std::string(argv[1]) == "jpeg";
  const int Width = std::atoi(argv[2]);
  const int Height = std::atoi(argv[3]);
  const double Shift = Width * 0.0125;
  const std::vector<TShot> Shots{
      {NoMove, 0},
      {HandheldMove(Width, Height, 0.7, Shift, -0.8 * Shift, 1.004, 0.01, -0.005), -1.7},
      {HandheldMove(Width, Height, -0.45, -0.9 * Shift, 1.1 * Shift, 0.996, -0.005, 0.01), 1.3}};
  try {
    const auto Names = WriteBracket(argv[4], THandheldScene(1), Width, Height, Shots, Jpeg);
    for (size_t I = 0; I < Names.size(); ++I) {
      std::printf("%s", Names[I].c_str());
      for (const double Value : Shots[I].Move)
        std::printf(" %.12g", Value);
      std::printf("\n");
    }
  } catch (const std::exception& Failure) {
    std::fprintf(stderr, "MakeHandheldSet: %s\n", Failure.what());
    return 1;
  }
  return 0;
}
