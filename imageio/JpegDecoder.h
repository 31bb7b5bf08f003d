#pragma once
// The libjpeg side of JPEG input: bytes in memory decoded into a 24-bit
// bitmap of blue, green, red rows, the header first.
#include "Bitmap24.h"
#include "PictureMeta.h"
#include "VekUncopyable.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace detail {

struct TDecoder;

// One libjpeg decompressor over bytes in memory, from its header to the
// decoded picture; destroyed with the object, also after a failure.
class TJpegDecoder : TVekUncopyable {
public:
  TJpegDecoder();
  ~TJpegDecoder();

  // Reads the header of Size bytes at Data, which must stay until Decode
  // has run. Raises EJPEG "JPEG error #N" with libjpeg's message code.
  void ReadHeader(const uint8_t* Data, int64_t Size);
  int Width() const;
  int Height() const;
  // What travels with the picture whose header was read.
  TPictureMeta Meta() const;
  // Decodes the picture whose header was read into Bitmap. Raises EJPEG,
  // EOutOfMemory for a picture too large for one bitmap, and EAbort when
  // Stop is set while the rows are decoded.
  void Decode(TBitmap24& Bitmap, const std::atomic<bool>* Stop);

private:
  std::unique_ptr<TDecoder> FDecoder;
};

} // namespace detail
