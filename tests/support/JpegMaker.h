#pragma once
// Test JPEG files made through libjpeg from given samples: colour, grey or
// CMYK, any quality, baseline or progressive.
#include <cstdint>
#include <string>
#include <vector>

enum class TJpegKind { Rgb, Grey, Cmyk };

// Samples row by row from the top, components per pixel by kind: R,G,B or
// a grey value or C,M,Y,K (stored as given; libjpeg marks CMYK files with
// an Adobe marker, so readers take them as inverted Adobe CMYK).
struct TJpegPicture {
  int Width = 0;
  int Height = 0;
  TJpegKind Kind = TJpegKind::Rgb;
  std::vector<uint8_t> Samples;

  static int ComponentsOf(TJpegKind Kind);
  // A picture whose every pixel has the components Pixel.
  static TJpegPicture Solid(int Width, int Height, TJpegKind Kind,
                            const std::vector<uint8_t>& Pixel);
  uint8_t* At(int X, int Y);
};

struct TJpegOptions {
  int Quality = 90;
  bool Progressive = false;
  // CMYK only: without the Adobe marker readers take the samples as plain
  // (not inverted) CMYK.
  bool AdobeMarker = true;
};

// The encoded file. Throws std::runtime_error when libjpeg refuses.
std::string EncodeJpeg(const TJpegPicture& Picture, const TJpegOptions& Options = {});
// Encodes Picture into FileName, replacing it.
void WriteJpeg(const std::string& FileName, const TJpegPicture& Picture,
               const TJpegOptions& Options = {});
