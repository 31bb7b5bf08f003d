// Makes a hand-held bracket for the alignment benchmark and the README:
//   MakeHandheldSet jpeg|tiff16 WIDTH HEIGHT FOLDER
// Three exposures of one textured scene, highlights clipped (HandheldSet.h).
// Prints each file's true transform onto the first, row by row.
#include "HandheldSet.h"

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
  const std::vector<TShot> Shots = HandheldSet(Width, Height);
  try {
    const auto Names = WriteBracket(argv[4], HandheldSetScene(), Width, Height, Shots, Jpeg);
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
