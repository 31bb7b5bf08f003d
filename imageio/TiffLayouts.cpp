// The four direct paths for 16-bit RGB with three samples: interleaved or
// planar, in strips or tiles. Samples are taken as the library delivers
// them, rows in storage order; one strip or tile is held at a time.
#include "TiffLayouts.h"

#include "TiffDetail.h"

#include <algorithm>
#include <sys/stat.h>

using namespace detail;

namespace {

// RowsPerStrip clamped to the height. Zero, which libtiff refuses to set
// anyway, is no usable value and counts as missing.
uint32_t QueryRowsPerStrip(TIFF* Handle, uint32_t Height) {
  uint32_t Rps = 0;
  if (TIFFGetField(Handle, TIFFTAG_ROWSPERSTRIP, &Rps) != 1 || Rps == 0)
    FailTiff(MsgNoRowsPerStrip);
  return std::min(Rps, Height);
}

struct TTileSize {
  uint32_t Width = 0;
  uint32_t Length = 0;
};

// Zero sizes count as missing: they could never cover the image.
TTileSize QueryTileSize(TIFF* Handle) {
  TTileSize Size;
  if (TIFFGetField(Handle, TIFFTAG_TILEWIDTH, &Size.Width) != 1 || Size.Width == 0)
    FailTiff(MsgNoTileWidth);
  if (TIFFGetField(Handle, TIFFTAG_TILELENGTH, &Size.Length) != 1 || Size.Length == 0)
    FailTiff(MsgNoTileLength);
  return Size;
}

// Decodes strip or tile Number into Target, which holds Bytes. A failed
// read, and one that yields fewer than the Needed samples, is an error: a
// damaged exposure is refused rather than stacked with made-up values.
void ReadChunk(TIFF* Handle, bool Tiled, bool Uncompressed, uint32_t Number, uint16_t* Target,
               tmsize_t Bytes, uint64_t Needed) {
  // The file is read rather than mapped, and then the library takes an
  // uncompressed chunk at its full size whatever its recorded byte count
  // says; a count too small for the chunk marks a damaged file.
  if (Uncompressed &&
      TIFFGetStrileByteCount(Handle, Number) < (Tiled ? TIFFTileSize64(Handle) : Needed * 2))
    FailTiff(MsgUnexpected);
  const tmsize_t Got = Tiled ? TIFFReadEncodedTile(Handle, Number, Target, Bytes)
                             : TIFFReadEncodedStrip(Handle, Number, Target, Bytes);
  if (Got < 0 || static_cast<uint64_t>(Got) < Needed * 2)
    FailTiff(MsgUnexpected);
}

// The buffer for one strip or tile: at least the samples the copy takes
// from it and at least what the library says one decodes to, zeroed once,
// and its true size passed as the limit of every read.
class TChunkBuffer {
public:
  TChunkBuffer(TIFF* Handle, bool Tiled, int64_t Samples)
      : FHandle(Handle), FTiled(Tiled), FUncompressed(IsUncompressed(Handle)) {
    const uint64_t LibraryBytes = Tiled ? TIFFTileSize64(Handle) : TIFFStripSize64(Handle);
    if (Samples < 0 || LibraryBytes > static_cast<uint64_t>(MaxBlockBytes))
      throw EOutOfMemory();
    FCount = std::max<int64_t>(Samples, static_cast<int64_t>((LibraryBytes + 1) / 2));
    FData = AllocArray<uint16_t>(FCount);
    std::fill_n(FData.get(), FCount, uint16_t{0});
  }

  // Decodes chunk Number, which must yield the Needed samples.
  const uint16_t* Read(uint32_t Number, uint64_t Needed) {
    ReadChunk(FHandle, FTiled, FUncompressed, Number, FData.get(), FCount * 2, Needed);
    return FData.get();
  }

private:
  TIFF* FHandle;
  bool FTiled;
  bool FUncompressed;
  int64_t FCount = 0;
  std::unique_ptr<uint16_t[]> FData;
};

// Visits the strips of Height rows, Rps a strip, in order, numbers
// counting on from Strip: Visit(number, first row, rows).
template <class F>
void ForEachStripRows(uint32_t Height, uint32_t Rps, uint32_t& Strip, F&& Visit) {
  for (uint64_t Row0 = 0; Row0 < Height; Row0 += Rps, ++Strip)
    Visit(Strip, Row0, std::min<uint64_t>(Rps, Height - Row0));
}

// Reads the strips of one plane in order, numbers counting on from Strip,
// and hands each to Copy(samples, first row, rows).
template <class F>
void ForEachStrip(TChunkBuffer& Buffer, uint32_t Width, uint32_t Height, uint32_t Rps,
                  int SamplesPerPixel, uint32_t& Strip, F&& Copy) {
  ForEachStripRows(Height, Rps, Strip, [&](uint32_t Number, uint64_t Row0, uint64_t Rows) {
    Copy(Buffer.Read(Number, Rows * Width * SamplesPerPixel), Row0, Rows);
  });
}

// Reads the tiles of one plane left to right, then top to bottom, numbers
// counting on from Tile, and hands each to Copy(samples, x0, y0, cols, rows).
template <class F>
void ForEachTile(TChunkBuffer& Buffer, uint32_t Width, uint32_t Height, TTileSize Tile,
                 int SamplesPerPixel, uint32_t& Number, F&& Copy) {
  for (uint64_t Y0 = 0; Y0 < Height; Y0 += Tile.Length) {
    const uint64_t Rows = std::min<uint64_t>(Tile.Length, Height - Y0);
    for (uint64_t X0 = 0; X0 < Width; X0 += Tile.Width, ++Number) {
      const uint64_t Cols = std::min<uint64_t>(Tile.Width, Width - X0);
      Copy(Buffer.Read(Number, Rows * Tile.Width * SamplesPerPixel), X0, Y0, Cols, Rows);
    }
  }
}

} // namespace

bool IsUncompressed(TIFF* Handle) {
  uint16_t Compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(Handle, TIFFTAG_COMPRESSION, &Compression);
  return Compression == COMPRESSION_NONE;
}

void ForEachContigStrip(TIFF* Handle, uint32_t Width, uint32_t Height, int Part, int Parts,
                        const TStripRows& Rows) {
  const uint32_t Rps = QueryRowsPerStrip(Handle, Height);
  const uint64_t Strips = (uint64_t{Height} + Rps - 1) / Rps;
  const auto FirstRow = [&](int Of) {
    return std::min<uint64_t>(
        Strips * static_cast<uint64_t>(Of) / static_cast<uint64_t>(Parts) * Rps, Height);
  };
  const uint64_t Top = FirstRow(Part);
  TChunkBuffer Buffer(Handle, false, CheckedProduct(Width, Rps, 3));
  uint32_t Strip = static_cast<uint32_t>(Top / Rps);
  ForEachStrip(Buffer, Width, static_cast<uint32_t>(FirstRow(Part + 1) - Top), Rps, 3, Strip,
               [&](const uint16_t* Samples, uint64_t Row0, uint64_t Count) {
                 Rows(Part, static_cast<uint32_t>(Top + Row0), static_cast<uint32_t>(Count),
                      Samples);
               });
}

void CheckContigStrips(TIFF* Handle, uint32_t Width, uint32_t Height) {
  const uint32_t Rps = QueryRowsPerStrip(Handle, Height);
  struct stat Info {};
  if (fstat(TIFFFileno(Handle), &Info) != 0)
    FailTiff(MsgUnexpected);
  const uint64_t Size = static_cast<uint64_t>(Info.st_size);
  uint32_t Strip = 0;
  ForEachStripRows(Height, Rps, Strip, [&](uint32_t Number, uint64_t, uint64_t Rows) {
    // What reading the strip would take: its recorded count, then its
    // bytes at its offset.
    const uint64_t Bytes = Rows * Width * 6;
    const uint64_t Offset = TIFFGetStrileOffset(Handle, Number);
    if (Number >= TIFFNumberOfStrips(Handle) || TIFFGetStrileByteCount(Handle, Number) < Bytes ||
        Offset > Size || Size - Offset < Bytes)
      FailTiff(MsgUnexpected);
  });
}

void ReadContigStrips(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                      uint16_t* Blue) {
  ForEachContigStrip(Handle, Width, Height, 0, 1,
                     [&](int, uint32_t Row0, uint32_t Rows, const uint16_t* Samples) {
                       const uint64_t Base = uint64_t{Row0} * Width;
                       for (uint64_t I = 0; I < uint64_t{Rows} * Width; ++I) {
                         Red[Base + I] = Samples[3 * I];
                         Green[Base + I] = Samples[3 * I + 1];
                         Blue[Base + I] = Samples[3 * I + 2];
                       }
                     });
}

void ReadContigStripsAsStored(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Rgb) {
  const bool Uncompressed = IsUncompressed(Handle);
  uint32_t Strip = 0;
  ForEachStripRows(Height, QueryRowsPerStrip(Handle, Height), Strip,
                   [&](uint32_t Number, uint64_t Row0, uint64_t Rows) {
                     const uint64_t Samples = Rows * Width * 3;
                     // Exactly the strip's own rows: the library then reads
                     // an uncompressed strip straight into place.
                     ReadChunk(Handle, false, Uncompressed, Number, Rgb + Row0 * Width * 3,
                               static_cast<tmsize_t>(Samples * 2), Samples);
                   });
}

void ReadContigTiles(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                     uint16_t* Blue) {
  const TTileSize Tile = QueryTileSize(Handle);
  TChunkBuffer Buffer(Handle, true, CheckedProduct(Tile.Width, Tile.Length, 3));
  uint32_t Number = 0;
  ForEachTile(Buffer, Width, Height, Tile, 3, Number,
              [&](const uint16_t* Samples, uint64_t X0, uint64_t Y0, uint64_t Cols, uint64_t Rows) {
                for (uint64_t R = 0; R < Rows; ++R) {
                  const uint16_t* Source = Samples + R * Tile.Width * 3;
                  const uint64_t Target = (Y0 + R) * Width + X0;
                  for (uint64_t C = 0; C < Cols; ++C) {
                    Red[Target + C] = Source[3 * C];
                    Green[Target + C] = Source[3 * C + 1];
                    Blue[Target + C] = Source[3 * C + 2];
                  }
                }
              });
}

void ReadSeparateStrips(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red,
                        uint16_t* Green, uint16_t* Blue) {
  const uint32_t Rps = QueryRowsPerStrip(Handle, Height);
  TChunkBuffer Buffer(Handle, false, CheckedProduct(Width, Rps));
  // Strip numbers run on across planes: red's strips, then green's, then blue's.
  uint32_t Strip = 0;
  for (uint16_t* Plane : {Red, Green, Blue})
    ForEachStrip(Buffer, Width, Height, Rps, 1, Strip,
                 [&](const uint16_t* Samples, uint64_t Row0, uint64_t Rows) {
                   std::copy_n(Samples, Rows * Width, Plane + Row0 * Width);
                 });
}

void ReadSeparateTiles(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red,
                       uint16_t* Green, uint16_t* Blue) {
  const TTileSize Tile = QueryTileSize(Handle);
  TChunkBuffer Buffer(Handle, true, CheckedProduct(Tile.Width, Tile.Length));
  uint32_t Number = 0;
  for (uint16_t* Plane : {Red, Green, Blue})
    ForEachTile(
        Buffer, Width, Height, Tile, 1, Number,
        [&](const uint16_t* Samples, uint64_t X0, uint64_t Y0, uint64_t Cols, uint64_t Rows) {
          for (uint64_t R = 0; R < Rows; ++R)
            std::copy_n(Samples + R * Tile.Width, Cols, Plane + (Y0 + R) * Width + X0);
        });
}
