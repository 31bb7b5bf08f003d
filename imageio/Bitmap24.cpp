#include "Bitmap24.h"

#include "VekLargeBlock.h"

int64_t TBitmap24::StrideFor(int Width) {
  if (Width < 0)
    return -1;
  return (static_cast<int64_t>(Width) * 3 + 3) / 4 * 4;
}

void TBitmap24::SetSize(int Width, int Height) {
  const int64_t Stride = StrideFor(Width);
  const int64_t Bytes = Height < 0 || Stride < 0 ? -1 : CheckedBlockBytes(Height, Stride);
  if (Bytes < 0)
    throw EOutOfMemory();
  if (Bytes > FCapacity) {
    FBits.reset();
    FCapacity = 0;
    FBits = AllocLargeArray<uint8_t>(Bytes);
    FCapacity = Bytes;
  }
  FWidth = Width;
  FHeight = Height;
  FStride = Stride;
}

void TBitmap24::Clear() {
  FBits.reset();
  FWidth = FHeight = 0;
  FStride = FCapacity = 0;
}
