#include "TiffDetail.h"

#include "VekMemory.h"

#include <algorithm>
#include <memory>

using namespace detail;

namespace {

constexpr uint32_t TileSide = 256;
constexpr int64_t TileSamples = int64_t{TileSide} * TileSide * 3;
constexpr tmsize_t TileBytes = TileSamples * sizeof(uint16_t);

uint16_t CompressionCode(TTiffCompression Compression) {
  static const uint16_t Codes[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE};
  return Codes[Compression <= tcDeflate ? Compression : tcNone];
}

struct TTiffCloser {
  void operator()(TIFF* Handle) const { TIFFClose(Handle); }
};
using TTiffHandle = std::unique_ptr<TIFF, TTiffCloser>;

// Red, green and blue of the planes interleaved into the tile.
void CopyPlanes(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, uint16_t* Tile,
                size_t Stride, uint32_t Width, const uint16_t* Red, const uint16_t* Green,
                const uint16_t* Blue) {
  for (uint32_t R = 0; R < Rows; ++R) {
    const size_t First = static_cast<size_t>(Y0 + R) * Width + X0;
    uint16_t* Out = Tile + R * Stride;
    for (size_t I = First; I < First + Cols; ++I) {
      *Out++ = Red[I];
      *Out++ = Green[I];
      *Out++ = Blue[I];
    }
  }
}

// The whole file written tile by tile; raises a TTiffFailure.
void WriteTiles(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                uint32_t Height, const TTileSource& Source) {
  // A picture without pixels would give a file no reader accepts.
  if (Width == 0 || Height == 0)
    FailTiff(MsgUnexpected);
  TTiffHandle Handle(TIFFOpen(FileName.c_str(), "w"));
  if (!Handle)
    FailTiff(MsgCannotCreateTiff(FileName));
  TIFF* Tif = Handle.get();
  TIFFSetField(Tif, TIFFTAG_IMAGEWIDTH, Width);
  TIFFSetField(Tif, TIFFTAG_IMAGELENGTH, Height);
  TIFFSetField(Tif, TIFFTAG_TILEWIDTH, TileSide);
  TIFFSetField(Tif, TIFFTAG_TILELENGTH, TileSide);
  TIFFSetField(Tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(Tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(Tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(Tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(Tif, TIFFTAG_COMPRESSION, CompressionCode(Compression));
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
      if (TIFFWriteEncodedTile(Tif, Number++, Tile.get(), TileBytes) == -1)
        FailTiff(MsgUnexpected);
      if (Width - X0 <= TileSide)
        break;
    }
    if (Height - Y0 <= TileSide)
      break;
  }
  // The directory is written here rather than silently by the close, so a
  // file that could not be finished is not reported as written.
  if (!TIFFFlush(Tif))
    FailTiff(MsgUnexpected);
}

} // namespace

void InternalSaveTiff16Tiles(const std::string& FileName, TTiffCompression Compression,
                             uint32_t Width, uint32_t Height, const TTileSource& Source,
                             bool& Failed, std::string& Message) {
  ReportTiffFailure(Failed, Message,
                    [&] { WriteTiles(FileName, Compression, Width, Height, Source); });
}

void InternalSaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                        uint32_t Height, const uint16_t* Red, const uint16_t* Green,
                        const uint16_t* Blue, bool& Failed, std::string& Message) {
  InternalSaveTiff16Tiles(
      FileName, Compression, Width, Height,
      [&](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, uint16_t* Tile, size_t Stride) {
        CopyPlanes(X0, Y0, Cols, Rows, Tile, Stride, Width, Red, Green, Blue);
      },
      Failed, Message);
}

void SaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                uint32_t Height, const uint16_t* Red, const uint16_t* Green, const uint16_t* Blue) {
  bool Failed = false;
  std::string Message;
  InternalSaveTiff16(FileName, Compression, Width, Height, Red, Green, Blue, Failed, Message);
  if (Failed)
    throw Exception(Message);
}
