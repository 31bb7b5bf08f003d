#pragma once
// The result's samples for the writer's tiles, scaled from the sums a band
// of rows at a time: the band, as wide as the picture, is shared among
// threads by rows, and each tile of it is then copied out in turn.
#include "ExposureAccumulator.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TBandExport {
public:
  TBandExport(const TExposureAccumulator& Sums, float Scale, int Threads);
  // Fills the tile of Cols x Rows pixels from (X0, Y0), rows Stride
  // samples apart, as ExportTile16 does. Tiles come band by band: the
  // first tile of a band scales the whole band.
  void Fill(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, uint16_t* Tile, size_t Stride);

private:
  const TExposureAccumulator& FSums;
  const float FScale;
  const int FThreads;
  // Rows FRows from FFirst, red, green and blue interleaved, full width.
  std::vector<uint16_t> FBand;
  int64_t FFirst = -1;
  uint32_t FRows = 0;
};
