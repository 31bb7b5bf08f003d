#pragma once
// A 16-bit channel plane: Width x Height unsigned samples, rows back to
// back from the top row; pixel (x, y) at index y * Width + x.
#include "VekMemory.h"

#include <cstdint>
#include <memory>

using TPlane16 = std::unique_ptr<uint16_t[]>;

// A plane of Width x Height samples, contents undefined; EOutOfMemory when
// the size does not fit one block.
inline TPlane16 AllocPlane16(int64_t Width, int64_t Height) {
  if (Width < 0 || Height < 0 || (Width != 0 && Height > MaxBlockBytes / Width))
    throw EOutOfMemory();
  return AllocArray<uint16_t>(Width * Height);
}
