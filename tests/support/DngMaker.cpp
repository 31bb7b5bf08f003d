#include "DngMaker.h"

#include "TempDir.h"
#include "TiffMaker.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <tiffio.h>

namespace {

struct TTiffCloser {
  void operator()(TIFF* Handle) const { TIFFClose(Handle); }
};

void Require(bool Ok, const char* What) {
  if (!Ok)
    throw std::runtime_error(std::string("DngMaker: ") + What);
}

// XYZ to linear sRGB (D65), the camera's colour matrix.
const float XyzToSrgb[9] = {3.2404542F, -1.5371385F, -0.4985314F, -0.9692660F, 1.8760108F,
                            0.0415560F, 0.0556434F,  -0.2040259F, 1.0572252F};

void WriteSamplesFirst(const std::string& FileName, const TDngPicture& P) {
  const std::unique_ptr<TIFF, TTiffCloser> Tif(TIFFOpen(FileName.c_str(), "w"));
  Require(Tif != nullptr, "cannot create the file");
  TIFF* T = Tif.get();
  const uint8_t Version[4] = {1, 4, 0, 0};
  const uint16_t Repeat[2] = {2, 2};
  const uint8_t Pattern[4] = {0, 1, 1, 2};
  const float Black = P.Black;
  const uint32_t White = P.White;
  const float Neutral[3] = {static_cast<float>(P.Neutral[0]), static_cast<float>(P.Neutral[1]),
                            static_cast<float>(P.Neutral[2])};
  bool Ok =
      TIFFSetField(T, TIFFTAG_SUBFILETYPE, 0) && TIFFSetField(T, TIFFTAG_IMAGEWIDTH, P.Width) &&
      TIFFSetField(T, TIFFTAG_IMAGELENGTH, P.Height) &&
      TIFFSetField(T, TIFFTAG_BITSPERSAMPLE, 16) && TIFFSetField(T, TIFFTAG_SAMPLESPERPIXEL, 1) &&
      TIFFSetField(T, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
      TIFFSetField(T, TIFFTAG_PHOTOMETRIC, 32803) &&
      TIFFSetField(T, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
      TIFFSetField(T, TIFFTAG_ROWSPERSTRIP, P.Height) &&
      TIFFSetField(T, TIFFTAG_ORIENTATION, P.Orientation) &&
      TIFFSetField(T, TIFFTAG_MAKE, P.Make.c_str()) &&
      TIFFSetField(T, TIFFTAG_MODEL, P.Model.c_str()) &&
      TIFFSetField(T, TIFFTAG_UNIQUECAMERAMODEL, (P.Make + " " + P.Model).c_str()) &&
      TIFFSetField(T, TIFFTAG_DNGVERSION, Version) &&
      TIFFSetField(T, TIFFTAG_CFAREPEATPATTERNDIM, Repeat) &&
      TIFFSetField(T, TIFFTAG_CFAPATTERN, 4, Pattern) &&
      TIFFSetField(T, TIFFTAG_BLACKLEVEL, 1, &Black) &&
      TIFFSetField(T, TIFFTAG_WHITELEVEL, 1, &White) &&
      TIFFSetField(T, TIFFTAG_COLORMATRIX1, 9, XyzToSrgb) &&
      TIFFSetField(T, TIFFTAG_CALIBRATIONILLUMINANT1, 21) &&
      TIFFSetField(T, TIFFTAG_ASSHOTNEUTRAL, 3, Neutral);
  if (!P.Artist.empty())
    Ok = Ok && TIFFSetField(T, TIFFTAG_ARTIST, P.Artist.c_str());
  if (!P.DateTime.empty())
    Ok = Ok && TIFFSetField(T, TIFFTAG_DATETIME, P.DateTime.c_str());
  Require(Ok, "a field was refused");
  std::vector<uint16_t> Data = P.Samples;
  Require(TIFFWriteEncodedStrip(T, 0, Data.data(),
                                static_cast<tmsize_t>(Data.size() * sizeof(uint16_t))) >= 0,
          "the samples were refused");
}

// libtiff writes the samples before the directory; cameras write them
// last. Moved behind the directory (their old place zeroed), a file cut
// short loses samples and keeps its header, as a camera's file does.
void MoveSamplesToEnd(const std::string& FileName, size_t SampleBytes) {
  std::string Bytes = ReadBytes(FileName);
  const size_t Offset = 8; // libtiff's first strip follows the header
  Require(Bytes.size() >= Offset + SampleBytes, "short file");
  const std::string Samples = Bytes.substr(Offset, SampleBytes);
  std::fill_n(Bytes.begin() + Offset, SampleBytes, '\0');
  const auto End = static_cast<uint32_t>(Bytes.size());
  WriteBytes(FileName, Bytes + Samples);
  PatchTiffEntry(FileName, TIFFTAG_STRIPOFFSETS, End);
}

} // namespace

int TDngPicture::ChannelAt(uint32_t X, uint32_t Y) {
  return static_cast<int>((X & 1) + (Y & 1));
}

TDngPicture TDngPicture::Of(uint32_t Width, uint32_t Height, const TScene& Scene, uint16_t Black,
                            uint16_t White) {
  TDngPicture P;
  P.Black = Black;
  P.White = White;
  P.Width = Width;
  P.Height = Height;
  P.Samples.resize(size_t{Width} * Height);
  for (uint32_t Y = 0; Y < Height; ++Y)
    for (uint32_t X = 0; X < Width; ++X) {
      const int C = ChannelAt(X, Y);
      const double Light = Scene(X, Y)[static_cast<size_t>(C)];
      const double Value =
          P.Black + Light * P.Neutral[static_cast<size_t>(C)] * (P.White - P.Black);
      P.Samples[size_t{Y} * Width + X] =
          static_cast<uint16_t>(std::clamp(std::lround(Value), 0L, 65535L));
    }
  return P;
}

void WriteDng(const std::string& FileName, const TDngPicture& P) {
  WriteSamplesFirst(FileName, P);
  MoveSamplesToEnd(FileName, P.Samples.size() * sizeof(uint16_t));
}

TScene FlatGrey(double Level) {
  return [Level](uint32_t, uint32_t) { return std::array<double, 3>{Level, Level, Level}; };
}
