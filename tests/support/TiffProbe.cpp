#include "TiffProbe.h"

#include "TempDir.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <tiffio.h>

namespace {

uint32_t LittleEndian(const std::string& Bytes, size_t At, int Count) {
  if (At + Count > Bytes.size())
    throw std::runtime_error("TIFF directory outside the file");
  uint32_t Value = 0;
  for (int I = Count - 1; I >= 0; --I)
    Value = Value << 8 | static_cast<uint8_t>(Bytes[At + I]);
  return Value;
}

void ReadRawTags(const std::string& FileName, TTiffProbe& Probe) {
  const std::string Bytes = ReadBytes(FileName);
  if (Bytes.size() < 8)
    throw std::runtime_error("no TIFF header");
  Probe.ByteOrder = Bytes.substr(0, 2);
  if (Probe.ByteOrder != "II")
    return; // the tag list is only read for the order the writer uses
  const uint32_t Directory = LittleEndian(Bytes, 4, 4);
  const uint32_t Count = LittleEndian(Bytes, Directory, 2);
  for (uint32_t I = 0; I < Count; ++I)
    Probe.Tags.push_back(static_cast<uint16_t>(LittleEndian(Bytes, Directory + 2 + 12 * I, 2)));
}

} // namespace

namespace {

using TTiffHandle = std::unique_ptr<TIFF, void (*)(TIFF*)>;

std::vector<uint64_t> ByteCounts(TIFF* Tif, uint32_t Tag, uint32_t Count) {
  uint64_t* Counts = nullptr;
  if (TIFFGetField(Tif, Tag, &Counts) && Counts)
    return std::vector<uint64_t>(Counts, Counts + Count);
  return {};
}

void ReadTiles(TIFF* Tif, TTiffProbe& Probe) {
  uint32_t TileWidth = 0, TileLength = 0;
  TIFFGetField(Tif, TIFFTAG_TILEWIDTH, &TileWidth);
  TIFFGetField(Tif, TIFFTAG_TILELENGTH, &TileLength);
  if (TileWidth != 256 || TileLength != 256)
    throw std::runtime_error("tiles not 256 x 256");
  const uint32_t Across = (Probe.Width + 255) / 256;
  const uint32_t Tiles = TIFFNumberOfTiles(Tif);
  Probe.TileByteCounts = ByteCounts(Tif, TIFFTAG_TILEBYTECOUNTS, Tiles);
  for (uint32_t T = 0; T < Tiles; ++T) {
    std::vector<uint16_t> Tile(256 * 256 * 3);
    if (TIFFReadEncodedTile(Tif, T, Tile.data(), static_cast<tmsize_t>(Tile.size() * 2)) < 0)
      throw std::runtime_error("tile " + std::to_string(T) + " unreadable");
    const uint32_t X0 = T % Across * 256, Y0 = T / Across * 256;
    for (uint32_t Y = Y0; Y < std::min(Y0 + 256, Probe.Height); ++Y)
      for (uint32_t X = X0; X < std::min(X0 + 256, Probe.Width); ++X) {
        const size_t From = ((Y - Y0) * 256 + (X - X0)) * 3;
        const size_t To = static_cast<size_t>(Y) * Probe.Width + X;
        Probe.Red[To] = Tile[From];
        Probe.Green[To] = Tile[From + 1];
        Probe.Blue[To] = Tile[From + 2];
      }
    Probe.Tiles.push_back(std::move(Tile));
  }
}

void ReadStrips(TIFF* Tif, TTiffProbe& Probe) {
  if (!TIFFGetField(Tif, TIFFTAG_ROWSPERSTRIP, &Probe.RowsPerStrip) || Probe.RowsPerStrip == 0)
    throw std::runtime_error("no RowsPerStrip");
  const uint32_t Strips = TIFFNumberOfStrips(Tif);
  Probe.StripByteCounts = ByteCounts(Tif, TIFFTAG_STRIPBYTECOUNTS, Strips);
  const size_t RowSamples = size_t{Probe.Width} * 3;
  std::vector<uint16_t> Strip(RowSamples * Probe.RowsPerStrip);
  for (uint32_t S = 0; S < Strips; ++S) {
    const uint32_t Y0 = S * Probe.RowsPerStrip;
    const uint32_t Rows = std::min(Probe.RowsPerStrip, Probe.Height - Y0);
    const tmsize_t Got =
        TIFFReadEncodedStrip(Tif, S, Strip.data(), static_cast<tmsize_t>(Strip.size() * 2));
    if (Got != static_cast<tmsize_t>(RowSamples * Rows * 2))
      throw std::runtime_error("strip " + std::to_string(S) + " unreadable or of another size");
    for (size_t I = 0; I < Rows * size_t{Probe.Width}; ++I) {
      const size_t To = size_t{Y0} * Probe.Width + I;
      Probe.Red[To] = Strip[I * 3];
      Probe.Green[To] = Strip[I * 3 + 1];
      Probe.Blue[To] = Strip[I * 3 + 2];
    }
  }
}

} // namespace

TTiffProbe ProbeTiff(const std::string& FileName) {
  TTiffProbe Probe;
  ReadRawTags(FileName, Probe);
  TTiffHandle Handle(TIFFOpen(FileName.c_str(), "r"), TIFFClose);
  TIFF* Tif = Handle.get();
  if (!Tif)
    throw std::runtime_error("not a TIFF: " + FileName);
  uint16_t Samples = 0, Bits = 0, Planar = 0;
  TIFFGetField(Tif, TIFFTAG_IMAGEWIDTH, &Probe.Width);
  TIFFGetField(Tif, TIFFTAG_IMAGELENGTH, &Probe.Height);
  TIFFGetField(Tif, TIFFTAG_COMPRESSION, &Probe.Compression);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_SAMPLESPERPIXEL, &Samples);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_BITSPERSAMPLE, &Bits);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_PLANARCONFIG, &Planar);
  if (Samples != 3 || Bits != 16 || Planar != PLANARCONFIG_CONTIG)
    throw std::runtime_error("not 16-bit RGB with samples together: " + FileName);
  const size_t Pixels = static_cast<size_t>(Probe.Width) * Probe.Height;
  Probe.Red.assign(Pixels, 0);
  Probe.Green.assign(Pixels, 0);
  Probe.Blue.assign(Pixels, 0);
  Probe.Tiled = TIFFIsTiled(Tif) != 0;
  if (Probe.Tiled)
    ReadTiles(Tif, Probe);
  else
    ReadStrips(Tif, Probe);
  Probe.Directories = TIFFNumberOfDirectories(Tif);
  return Probe;
}

TFloatProbe ProbeFloatTiff(const std::string& FileName) {
  TTiffHandle Handle(TIFFOpen(FileName.c_str(), "r"), TIFFClose);
  TIFF* Tif = Handle.get();
  if (!Tif)
    throw std::runtime_error("not a TIFF: " + FileName);
  TFloatProbe Probe;
  uint16_t Samples = 0, Bits = 0, Format = 0;
  TIFFGetField(Tif, TIFFTAG_IMAGEWIDTH, &Probe.Width);
  TIFFGetField(Tif, TIFFTAG_IMAGELENGTH, &Probe.Height);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_SAMPLESPERPIXEL, &Samples);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_BITSPERSAMPLE, &Bits);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_SAMPLEFORMAT, &Format);
  Probe.Predictor = PREDICTOR_NONE;
  TIFFGetField(Tif, TIFFTAG_PREDICTOR, &Probe.Predictor);
  if (Samples != 3 || Bits != 32 || Format != SAMPLEFORMAT_IEEEFP)
    throw std::runtime_error("not 32-bit float RGB: " + FileName);
  Probe.Samples.assign(size_t{Probe.Width} * Probe.Height * 3, 0);
  // Each piece is a block of PieceWidth x PieceRows pixels at (X0, Y0).
  const bool Tiled = TIFFIsTiled(Tif) != 0;
  uint32_t PieceWidth = Probe.Width, PieceRows = 0;
  if (Tiled) {
    TIFFGetField(Tif, TIFFTAG_TILEWIDTH, &PieceWidth);
    TIFFGetField(Tif, TIFFTAG_TILELENGTH, &PieceRows);
  } else {
    TIFFGetField(Tif, TIFFTAG_ROWSPERSTRIP, &PieceRows);
  }
  if (PieceWidth == 0 || PieceRows == 0)
    throw std::runtime_error("no piece size: " + FileName);
  const uint32_t Across = (Probe.Width + PieceWidth - 1) / PieceWidth;
  const uint32_t Pieces = Tiled ? TIFFNumberOfTiles(Tif) : TIFFNumberOfStrips(Tif);
  std::vector<float> Piece(size_t{PieceWidth} * PieceRows * 3);
  const tmsize_t Bytes = static_cast<tmsize_t>(Piece.size() * sizeof(float));
  for (uint32_t P = 0; P < Pieces; ++P) {
    const tmsize_t Got = Tiled ? TIFFReadEncodedTile(Tif, P, Piece.data(), Bytes)
                               : TIFFReadEncodedStrip(Tif, P, Piece.data(), Bytes);
    if (Got < 0)
      throw std::runtime_error("piece " + std::to_string(P) + " unreadable");
    const uint32_t X0 = P % Across * PieceWidth, Y0 = P / Across * PieceRows;
    for (uint32_t Y = Y0; Y < std::min(Y0 + PieceRows, Probe.Height); ++Y)
      for (uint32_t X = X0; X < std::min(X0 + PieceWidth, Probe.Width); ++X)
        for (size_t S = 0; S < 3; ++S)
          Probe.Samples[(size_t{Y} * Probe.Width + X) * 3 + S] =
              Piece[((Y - Y0) * size_t{PieceWidth} + (X - X0)) * 3 + S];
  }
  return Probe;
}
