// JPEG decoding on arbitrary bytes. A decoder error is the expected way
// out; a decode that returns must leave a whole bitmap of the picture.
#include "Bitmap24.h"
#include "FuzzSupport.h"
#include "JpegDecoder.h"
#include "VekExceptions.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (!detail::JpegFitsBudget(Data, Size))
    return -1;
  TBitmap24 Bitmap;
  try {
    detail::TJpegDecoder Decoder;
    Decoder.ReadHeader(Data, static_cast<int64_t>(Size));
    Decoder.Decode(Bitmap, nullptr);
  } catch (const Exception&) {
    return 0;
  }
  detail::Require(Bitmap.Width() > 0 && Bitmap.Height() > 0, "decoded bitmap is empty");
  detail::Require(Bitmap.Stride() == TBitmap24::StrideFor(Bitmap.Width()),
                  "decoded bitmap has a foreign stride");
  // The last pixel byte of the last row must lie inside the block.
  volatile uint8_t Last = Bitmap.Row(Bitmap.Height() - 1)[3 * Bitmap.Width() - 1];
  (void)Last;
  return 0;
}
