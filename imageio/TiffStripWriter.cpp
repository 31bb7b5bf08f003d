#include "TiffStripWriter.h"

#include "TiffWriterFile.h"
#include "VekMemory.h"

#include <algorithm>

namespace {

constexpr uint64_t StripBytes = 256 * 1024;
constexpr uint64_t PixelBytes = 3 * sizeof(uint16_t);

} // namespace

uint32_t StripRows(uint32_t Width, uint32_t Height) {
  const uint64_t RowBytes = std::max<uint64_t>(Width, 1) * PixelBytes;
  const uint64_t Rows = std::max<uint64_t>(StripBytes / RowBytes, 1);
  return static_cast<uint32_t>(std::min<uint64_t>(Rows, std::max<uint32_t>(Height, 1)));
}

namespace detail {

void WriteStrips(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                 uint32_t Height, const TTileSource& Source) {
  const uint32_t Rows = StripRows(Width, Height);
  const TTiffHandle Handle = CreateTiff16(FileName, Compression, Width, Height, [&](TIFF* Tif) {
    TIFFSetField(Tif, TIFFTAG_ROWSPERSTRIP, Rows);
  });
  TIFF* Tif = Handle.get();
  const int64_t RowSamples = int64_t{Width} * 3;
  const std::unique_ptr<uint16_t[]> Strip = AllocArray<uint16_t>(RowSamples * Rows);
  uint32_t Number = 0;
  // 64 bits: the start after the last strip may pass 2^32.
  for (uint64_t Y0 = 0; Y0 < Height; Y0 += Rows) {
    const uint32_t Count = static_cast<uint32_t>(std::min<uint64_t>(Rows, Height - Y0));
    Source(0, static_cast<uint32_t>(Y0), Width, Count, Strip.get(),
           static_cast<size_t>(RowSamples));
    const tmsize_t Bytes = RowSamples * Count * static_cast<tmsize_t>(sizeof(uint16_t));
    WriteOrFail([&] { return TIFFWriteEncodedStrip(Tif, Number++, Strip.get(), Bytes); });
  }
  FinishTiff16(Tif);
}

} // namespace detail
