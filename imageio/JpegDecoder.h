#pragma once
// The libjpeg side of JPEG input: bytes in memory decoded into a 24-bit
// bitmap of blue, green, red rows.
#include "Bitmap24.h"

#include <cstdint>

namespace detail {

// Decodes Size bytes at Data at full size into Bitmap. Raises EJPEG
// "JPEG error #N" with libjpeg's message code for a fatal decoder error
// and EOutOfMemory for a picture too large for one bitmap.
void DecodeJpegBgr(const uint8_t* Data, int64_t Size, TBitmap24& Bitmap);

} // namespace detail
