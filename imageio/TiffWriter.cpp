#include "TiffWriter.h"

#include "TiffStripWriter.h"
#include "TiffWriterFile.h"
#include "VekMemory.h"

#include <algorithm>
#include <memory>

using namespace detail;

namespace {

constexpr uint32_t TileSide = 256;
constexpr int64_t TileSamples = int64_t{TileSide} * TileSide * 3;
constexpr tmsize_t TileBytes = TileSamples * sizeof(uint16_t);

// The whole file written tile by tile; raises a TTiffFailure.
void WriteTiles(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                uint32_t Height, const TTileSource& Source) {
  const TTiffHandle Handle = CreateTiff16(FileName, Compression, Width, Height, [](TIFF* Tif) {
    TIFFSetField(Tif, TIFFTAG_TILEWIDTH, TileSide);
    TIFFSetField(Tif, TIFFTAG_TILELENGTH, TileSide);
  });
  TIFF* Tif = Handle.get();
  const std::unique_ptr<uint16_t[]> Tile = AllocArray<uint16_t>(TileSamples);
  // The loops stop at the last tile rather than by the next start, which
  // could wrap for a size near 2^32.
  uint32_t Number = 0;
  for (uint32_t Y0 = 0;; Y0 += TileSide) {
    for (uint32_t X0 = 0;; X0 += TileSide) {
      const uint32_t Cols = std::min(TileSide, Width - X0);
      const uint32_t Rows = std::min(TileSide, Height - Y0);
      // Edge tiles are zero outside the picture.
      if (Cols < TileSide || Rows < TileSide)
        std::fill_n(Tile.get(), TileSamples, uint16_t{0});
      Source(X0, Y0, Cols, Rows, Tile.get(), size_t{TileSide} * 3);
      WriteOrFail([&] { return TIFFWriteEncodedTile(Tif, Number++, Tile.get(), TileBytes); });
      if (Width - X0 <= TileSide)
        break;
    }
    if (Height - Y0 <= TileSide)
      break;
  }
  FinishTiff16(Tif);
}

} // namespace

TTileSource PlanesSource(uint32_t Width, const uint16_t* Red, const uint16_t* Green,
                         const uint16_t* Blue) {
  return
      [=](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, uint16_t* Tile, size_t Stride) {
        for (uint32_t R = 0; R < Rows; ++R) {
          const size_t First = static_cast<size_t>(Y0 + R) * Width + X0;
          uint16_t* Out = Tile + R * Stride;
          for (size_t I = First; I < First + Cols; ++I) {
            *Out++ = Red[I];
            *Out++ = Green[I];
            *Out++ = Blue[I];
          }
        }
      };
}

void SaveTiff16FromSource(const std::string& FileName, TSaveLayout Layout,
                          TTiffCompression Compression, uint32_t Width, uint32_t Height,
                          const TTileSource& Source) {
  RaiseTiffFailure([&] {
    if (Layout == slStrips)
      WriteStrips(FileName, Compression, Width, Height, Source);
    else
      WriteTiles(FileName, Compression, Width, Height, Source);
  });
}

void InternalSaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                        uint32_t Height, const uint16_t* Red, const uint16_t* Green,
                        const uint16_t* Blue, bool& Failed, std::string& Message) {
  ReportTiffFailure(Failed, Message, [&] {
    WriteTiles(FileName, Compression, Width, Height, PlanesSource(Width, Red, Green, Blue));
  });
}

void SaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                uint32_t Height, const uint16_t* Red, const uint16_t* Green, const uint16_t* Blue) {
  bool Failed = false;
  std::string Message;
  InternalSaveTiff16(FileName, Compression, Width, Height, Red, Green, Blue, Failed, Message);
  if (Failed)
    throw Exception(Message);
}
