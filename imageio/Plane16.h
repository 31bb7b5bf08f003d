#pragma once
// A 16-bit channel plane: Width x Height unsigned samples, rows back to
// back from the top row; pixel (x, y) at index y * Width + x.
#include "VekLargeBlock.h"

#include <cstdint>

// A large block: planes of a full picture are the biggest blocks a run
// takes (see VekLargeBlock.h).
using TPlane16 = TLargeArray<uint16_t>;

// A plane of Width x Height samples, zero-filled; EOutOfMemory when
// the size does not fit one block.
inline TPlane16 AllocPlane16(int64_t Width, int64_t Height) {
  if (Width < 0 || Height < 0 || (Width != 0 && Height > MaxBlockBytes / Width))
    throw EOutOfMemory();
  return AllocLargeArray<uint16_t>(Width * Height);
}

// Makes the three planes hold Width x Height samples each: planes that
// already do are kept, to be filled again, so a run of equal exposures
// reads into the same memory; otherwise all three are allocated anew in
// the order red, green, blue.
inline void ProvidePlanes16(TPlane16& Red, TPlane16& Green, TPlane16& Blue, int64_t Width,
                            int64_t Height) {
  const bool Fits = Width >= 0 && Height >= 0 && (Width == 0 || Height <= MaxBlockBytes / Width);
  const int64_t Count = Fits ? Width * Height : 0;
  if (Fits && LargeArrayCount(Red) >= Count && LargeArrayCount(Green) >= Count &&
      LargeArrayCount(Blue) >= Count)
    return;
  Red.reset();
  Green.reset();
  Blue.reset();
  Red = AllocPlane16(Width, Height);
  Green = AllocPlane16(Width, Height);
  Blue = AllocPlane16(Width, Height);
}
