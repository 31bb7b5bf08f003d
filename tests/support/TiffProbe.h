#pragma once
// What a written 16-bit RGB TIFF holds, read back through libtiff (tiles
// by TIFFReadEncodedTile, strips by TIFFReadEncodedStrip) and from the raw
// directory (the tags).
#include <cstdint>
#include <string>
#include <vector>

struct TTiffProbe {
  std::string ByteOrder;      // "II" or "MM"
  std::vector<uint16_t> Tags; // of the first directory, in file order
  int Directories = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint16_t Compression = 0;
  bool Tiled = false;
  uint32_t RowsPerStrip = 0; // strips only
  // Each tile's samples as decoded: 256 x 256 pixels of R, G, B.
  std::vector<std::vector<uint16_t>> Tiles;
  std::vector<uint64_t> TileByteCounts;
  std::vector<uint64_t> StripByteCounts;
  // The picture put together from the tiles, Width x Height each.
  std::vector<uint16_t> Red, Green, Blue;
};

// Throws std::runtime_error when the file is not such a TIFF: 16-bit RGB,
// samples of a pixel together, in 256 x 256 tiles or in strips.
TTiffProbe ProbeTiff(const std::string& FileName);

// The samples of a 32-bit float RGB TIFF, samples of a pixel together, in
// tiles or strips: Width x Height pixels of R, G, B, row by row.
struct TFloatProbe {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint16_t Predictor = 1; // 1 none, 3 floating point
  std::vector<float> Samples;
};
// Throws std::runtime_error when the file is not such a TIFF.
TFloatProbe ProbeFloatTiff(const std::string& FileName);
