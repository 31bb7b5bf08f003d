#include "TiffWriter.h"

#include "TiffPieceSink.h"
#include "TiffStripWriter.h"
#include "TiffWriterFile.h"

#include <algorithm>

using namespace detail;

namespace {

constexpr uint32_t TileSide = 256;
constexpr int64_t TileSamples = int64_t{TileSide} * TileSide * 3;

// The whole file written tile by tile; raises a TTiffFailure.
template <class TSample>
void WriteTiles(int Fd, const std::string& FileName, const TTiffResult& Result,
                const TPieceSource<TSample>& Source) {
  const uint32_t Width = Result.Width;
  const uint32_t Height = Result.Height;
  const TSampleKind Kind = sizeof(TSample) == 4 ? TSampleKind::Float32 : TSampleKind::Uint16;
  const auto SetLayout = [](TIFF* Tif) {
    TIFFSetField(Tif, TIFFTAG_TILEWIDTH, TileSide);
    TIFFSetField(Tif, TIFFTAG_TILELENGTH, TileSide);
  };
  const TTiffHandle Handle = CreateTiffResult(Fd, FileName, Result, Kind, SetLayout);
  TIFF* Tif = Handle.get();
  TPieceSink<TSample> Sink(Tif, Result, Kind, SetLayout, true, TileSamples);
  const tmsize_t TileBytes = TileSamples * static_cast<tmsize_t>(sizeof(TSample));
  // The loops stop at the last tile rather than by the next start, which
  // could wrap for a size near 2^32.
  for (uint32_t Y0 = 0;; Y0 += TileSide) {
    for (uint32_t X0 = 0;; X0 += TileSide) {
      const uint32_t Cols = std::min(TileSide, Width - X0);
      const uint32_t Rows = std::min(TileSide, Height - Y0);
      TSample* Tile = Sink.Next();
      // Edge tiles are zero outside the picture.
      if (Cols < TileSide || Rows < TileSide)
        std::fill_n(Tile, TileSamples, TSample{0});
      Source(X0, Y0, Cols, Rows, Tile, size_t{TileSide} * 3);
      Sink.Put(TileBytes);
      if (Width - X0 <= TileSide)
        break;
    }
    if (Height - Y0 <= TileSide)
      break;
  }
  Sink.Finish();
  FinishTiff(Tif);
}

template <class TSample>
void WriteResult(int Fd, const std::string& FileName, const TTiffResult& Result,
                 const TPieceSource<TSample>& Source) {
  RaiseTiffFailure([&] {
    if (Result.Layout == slStrips)
      WriteStrips(Fd, FileName, Result, Source);
    else
      WriteTiles(Fd, FileName, Result, Source);
  });
}

} // namespace

void WriteTiff16(int Fd, const std::string& FileName, const TTiffResult& Result,
                 const TTileSource& Source) {
  WriteResult(Fd, FileName, Result, Source);
}

void WriteTiffFloat(int Fd, const std::string& FileName, const TTiffResult& Result,
                    const TFloatSource& Source) {
  WriteResult(Fd, FileName, Result, Source);
}
