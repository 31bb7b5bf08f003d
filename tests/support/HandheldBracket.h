#pragma once
// Synthetic hand-held brackets: a textured scene of wide brightness range
// and the shots a camera moved between exposures would take of it, with
// transforms and exposures known exactly.
#include "JpegMaker.h"
#include "TiffMaker.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Row by row, it maps a shot's pixel coordinates (pixel centres at
// integers) onto the first shot's.
using TMove = std::array<double, 9>;

inline constexpr TMove NoMove{1, 0, 0, 0, 1, 0, 0, 0, 1};

// A turn by Degrees and a scale about the picture's centre, a shift, and
// a slight tilt (Tilt: the perspective row's terms times the width and
// height, so a few hundredths are slight at any size).
TMove HandheldMove(int Width, int Height, double Degrees, double Dx, double Dy, double Scale = 1,
                   double TiltX = 0, double TiltY = 0);

// Where Move puts the point (X, Y).
std::array<double, 2> Moved(const TMove& Move, double X, double Y);

// The largest distance between where two moves put the picture's corners.
double CornerDistance(const TMove& A, const TMove& B, int Width, int Height);

struct TShot {
  TMove Move = NoMove;
  double Ev = 0;
};

class THandheldScene {
public:
  // Texture 0 gives a featureless sky: a smooth gradient only.
  explicit THandheldScene(uint32_t Seed, double Texture = 1);

  // The shot as a 16-bit RGB TIFF picture, or as 8-bit RGB samples on a
  // gamma scale for a JPEG file: the scene's light at the point Move
  // puts each pixel, times 2^Ev, clipped.
  TTiffPicture Tiff16(int Width, int Height, const TShot& Shot) const;
  TJpegPicture Jpeg(int Width, int Height, const TShot& Shot) const;

private:
  std::array<double, 3> Light(double X, double Y) const;
  double Noise(double X, double Y, double Spacing, uint32_t Layer) const;
  template <class F> void Render(int Width, int Height, const TShot& Shot, F&& Store) const;

  uint32_t FSeed;
  double FTexture;
};

// A bracket written as files Name0, Name1, ... with the extension ".jpg"
// (quality 92) or ".tif" (16-bit RGB): their full names in order.
std::vector<std::string> WriteBracket(const std::string& Folder, const THandheldScene& Scene,
                                      int Width, int Height, const std::vector<TShot>& Shots,
                                      bool Jpeg);

// What velmora-stack's --report says, read back from its JSON.
struct TReadReport {
  int Width = 0, Height = 0;
  std::array<int, 4> Crop{}; // x, y, width, height
  std::vector<std::string> Names;
  std::vector<TMove> Transforms;
  std::vector<int> Inliers;
};
// Fails the current test when Json does not have the report's shape.
TReadReport ReadReport(const std::string& Json);
