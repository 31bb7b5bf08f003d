#pragma once
// The per-pixel sums of one stacking run: three planes of 32-bit floats,
// normalised by their common maximum to 8-bit preview rows and to 16-bit
// output samples.
#include "SumKernels.h"
#include "VekLargeBlock.h"

#include <cstddef>
#include <cstdint>

// A file's 16-bit samples, Width x Height pixels from the top row: three
// planes (Step 1), or red, green and blue interleaved as a TIFF stores
// them (Step 3). Channel C of pixel I is Channel[C][I * Step].
struct TSamples16 {
  const uint16_t* Channel[3] = {nullptr, nullptr, nullptr};
  int Step = 1;
};

class TExposureAccumulator {
public:
  // Fixes the size and creates zeroed planes on the first call of a run;
  // every later call does nothing. Raises EOutOfMemory.
  void Allocate(int NewWidth, int NewHeight);
  // The most pixels a picture may have for its sums to be allocated.
  static int64_t MaxPixels() { return MaxBlockBytes / static_cast<int64_t>(sizeof(float)); }
  // Adds Width pixels of blue, green, red bytes into row Y; Store puts
  // them there instead, for the first file into the zeroed sums: the same
  // bytes without reading the sums.
  void AddBgrRow(int Y, const uint8_t* Row, TSumMode Mode = TSumMode::Add);
  // Adds Width x Height samples of each channel.
  void AddPlanes16(const uint16_t* Red, const uint16_t* Green, const uint16_t* Blue);
  // Adds Width pixels of red, green, blue 16-bit samples into row Y.
  void AddRgb16Row(int Y, const uint16_t* Row, TSumMode Mode = TSumMode::Add);
  // Adds row Y of a file's 16-bit samples.
  void AddSamples16Row(int Y, const TSamples16& Samples, TSumMode Mode = TSumMode::Add);
  // The largest sum over all three planes, computed afresh.
  float UpdateMaximum();
  // The larger of Result and the largest sum of row Y, by the same rule:
  // taken right after the row's addition, while the row is still in the
  // cache, it saves UpdateMaximum's pass over the planes.
  float RowMaximum(int Y, float Result) const;
  // Target / Maximum as a 32-bit float, Maximum first clamped to at least 1.
  float ScaleFor(float Target);
  // Writes Width pixels of blue, green, red bytes from row Y.
  void RenderPreviewRow(int Y, float Scale, uint8_t* Row) const;
  // Writes Width x Height scaled samples of each channel.
  void ExportPlanes16(float Scale, uint16_t* Red, uint16_t* Green, uint16_t* Blue) const;
  // The same samples for Cols x Rows pixels from (X0, Y0), red, green and
  // blue interleaved, rows Stride samples apart: a tile of the output.
  void ExportTile16(float Scale, int X0, int Y0, int Cols, int Rows, uint16_t* Tile,
                    size_t Stride) const;
  // Frees whichever planes exist.
  void Release();

  int Width = -1;
  int Height = -1;
  bool Allocated = false;
  TLargeArray<float> RedSum;
  TLargeArray<float> GreenSum;
  TLargeArray<float> BlueSum;
  float Maximum = 0;

private:
  int64_t PixelCount() const { return static_cast<int64_t>(Width) * Height; }
};
