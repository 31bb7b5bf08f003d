#include "TiffStripWriter.h"

#include "TiffPieceSink.h"

#include <algorithm>

namespace {

constexpr uint64_t StripBytes = 256 * 1024;

} // namespace

uint32_t StripRows(uint32_t Width, uint32_t Height, uint32_t PixelBytes) {
  const uint64_t RowBytes = std::max<uint64_t>(Width, 1) * PixelBytes;
  const uint64_t Rows = std::max<uint64_t>(StripBytes / RowBytes, 1);
  return static_cast<uint32_t>(std::min<uint64_t>(Rows, std::max<uint32_t>(Height, 1)));
}

namespace detail {

template <class TSample>
void WriteStrips(int Fd, const std::string& FileName, const TTiffResult& Result,
                 const TPieceSource<TSample>& Source) {
  const uint32_t Width = Result.Width;
  const uint32_t Height = Result.Height;
  const uint32_t Rows = StripRows(Width, Height, 3 * sizeof(TSample));
  const TSampleKind Kind = sizeof(TSample) == 4 ? TSampleKind::Float32 : TSampleKind::Uint16;
  const auto SetLayout = [Rows](TIFF* Tif) { TIFFSetField(Tif, TIFFTAG_ROWSPERSTRIP, Rows); };
  const TTiffHandle Handle = CreateTiffResult(Fd, FileName, Result, Kind, SetLayout);
  TIFF* Tif = Handle.get();
  const int64_t RowSamples = int64_t{Width} * 3;
  TPieceSink<TSample> Sink(Tif, Result, Kind, SetLayout, false, RowSamples * Rows);
  // 64 bits: the start after the last strip may pass 2^32.
  for (uint64_t Y0 = 0; Y0 < Height; Y0 += Rows) {
    const uint32_t Count = static_cast<uint32_t>(std::min<uint64_t>(Rows, Height - Y0));
    Source(0, static_cast<uint32_t>(Y0), Width, Count, Sink.Next(),
           static_cast<size_t>(RowSamples));
    Sink.Put(RowSamples * Count * static_cast<tmsize_t>(sizeof(TSample)));
  }
  Sink.Finish();
  FinishTiff(Tif);
}

template void WriteStrips<uint16_t>(int, const std::string&, const TTiffResult&,
                                    const TTileSource&);
template void WriteStrips<float>(int, const std::string&, const TTiffResult&, const TFloatSource&);

} // namespace detail
