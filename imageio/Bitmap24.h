#pragma once
// The 24-bit device-independent bitmap of the run: top-down rows of blue,
// green, red bytes, each row padded to a multiple of 4 bytes.
#include "VekLargeBlock.h"

#include <cstdint>

class TBitmap24 {
public:
  // Gives the bitmap a new size; its contents are then undefined. The
  // block is kept when it is large enough, so a run that reuses one
  // bitmap touches fresh memory only once. Raises EOutOfMemory.
  void SetSize(int Width, int Height);
  // Discards the image (width and height 0) and frees the block.
  void Clear();

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Bytes per row including the padding.
  int64_t Stride() const { return FStride; }
  uint8_t* Row(int Y) { return FBits.get() + Y * FStride; }
  const uint8_t* Row(int Y) const { return FBits.get() + Y * FStride; }

  // Row stride for a width: 3 bytes per pixel rounded up to 4; -1 when
  // the width is negative or the row would not fit a block.
  static int64_t StrideFor(int Width);

private:
  int FWidth = 0;
  int FHeight = 0;
  int64_t FStride = 0;
  int64_t FCapacity = 0;
  TLargeArray<uint8_t> FBits;
};
