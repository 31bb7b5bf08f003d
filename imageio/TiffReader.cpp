// Reading one TIFF exposure into three 16-bit planes: opening, the planes,
// the choice of layout, and the generic path through libtiff's RGBA
// interface. The four direct 16-bit layouts are in TiffLayouts.cpp.
#include "TiffReader.h"

#include "TiffDetail.h"
#include "TiffMetaReader.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <sys/stat.h>
#include <vector>

const std::array<uint16_t, 256>& Byte16Table() {
  static const std::array<uint16_t, 256> Table = [] {
    std::array<uint16_t, 256> T{};
    for (size_t I = 0; I < T.size(); ++I)
      T[I] = static_cast<uint16_t>(I * 257);
    return T;
  }();
  return Table;
}

namespace detail {

void FailTiff(const std::string& Message, const std::string& Cause) {
  throw TTiffFailure{Message, Cause};
}

int64_t CheckedProduct(uint64_t A, uint64_t B, uint64_t C) {
  const uint64_t Limit = INT64_MAX;
  if (A == 0 || B == 0 || C == 0)
    return 0;
  if (A > Limit / B || A * B > Limit / C)
    return -1;
  return static_cast<int64_t>(A * B * C);
}

} // namespace detail

using namespace detail;

TTiffLayout GetTiffLayout(TIFF* Handle) {
  uint16_t Photometric = 0;
  uint16_t Bits = 0;
  uint16_t Samples = 0;
  if (TIFFGetField(Handle, TIFFTAG_PHOTOMETRIC, &Photometric) != 1 ||
      Photometric != PHOTOMETRIC_RGB)
    return tlGeneric;
  if (TIFFGetField(Handle, TIFFTAG_BITSPERSAMPLE, &Bits) != 1 || Bits != 16)
    return tlGeneric;
  if (TIFFGetField(Handle, TIFFTAG_SAMPLESPERPIXEL, &Samples) != 1 || Samples != 3)
    return tlGeneric;
  uint16_t Planar = 0;
  if (TIFFGetField(Handle, TIFFTAG_PLANARCONFIG, &Planar) != 1)
    Planar = PLANARCONFIG_CONTIG;
  const bool Tiled = TIFFIsTiled(Handle) != 0;
  if (Planar == PLANARCONFIG_CONTIG)
    return Tiled ? tlContigTiles : tlContigStrips;
  return Tiled ? tlSeparateTiles : tlSeparateStrips;
}

void ReadGenericImage(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                      uint16_t* Blue) {
  const std::array<uint16_t, 256>& Table = Byte16Table();
  const int64_t Pixels = CheckedProduct(Width, Height);
  // Zero-filled: with stop-on-error off the library may skip pixels of
  // strips it cannot decode; those stay black rather than uninitialised.
  const TLargeArray<uint32_t> Raster = AllocLargeArray<uint32_t>(Pixels);
  if (TIFFReadRGBAImageOriented(Handle, Width, Height, Raster.get(), ORIENTATION_TOPLEFT, 0) == 0)
    FailTiff(MsgUnexpected);
  for (int64_t I = 0; I < Pixels; ++I) {
    const uint32_t Pixel = Raster[I];
    Red[I] = Table[TIFFGetR(Pixel)];
    Green[I] = Table[TIFFGetG(Pixel)];
    Blue[I] = Table[TIFFGetB(Pixel)];
  }
}

namespace {

// Steps 2 and 3 of a read: the file opened, its width and height taken.
TTiffHandle OpenInput(const std::string& FileName, uint32_t& Width, uint32_t& Height) {
  // Read, not mapped: the mapped pages of a large file would stay
  // resident beside the planes until the file is closed.
  TTiffHandle Handle(TIFFOpen(FileName.c_str(), "rm"));
  if (!Handle)
    FailTiff(MsgCannotOpenTiff(FileName));
  if (TIFFGetField(Handle.get(), TIFFTAG_IMAGEWIDTH, &Width) != 1)
    FailTiff(MsgNoImageWidth);
  if (TIFFGetField(Handle.get(), TIFFTAG_IMAGELENGTH, &Height) != 1)
    FailTiff(MsgNoImageHeight);
  return Handle;
}

// The planes provided, then the picture read into them.
void ReadInput(TIFF* Handle, TTiffLayout Layout, uint32_t Width, uint32_t Height, TPlane16& Red,
               TPlane16& Green, TPlane16& Blue) {
  ProvidePlanes16(Red, Green, Blue, Width, Height);
  auto Routine = ReadGenericImage;
  switch (Layout) {
  case tlGeneric:
    break;
  case tlContigStrips:
    Routine = ReadContigStrips;
    break;
  case tlContigTiles:
    Routine = ReadContigTiles;
    break;
  case tlSeparateStrips:
    Routine = ReadSeparateStrips;
    break;
  case tlSeparateTiles:
    Routine = ReadSeparateTiles;
    break;
  }
  Routine(Handle, Width, Height, Red.get(), Green.get(), Blue.get());
}

// Up to Count more handles on the file Handle reads, opened by its name:
// fewer when the name no longer leads to that file (replaced since), so
// that no part reads another file.
std::vector<TTiffHandle> MoreHandles(TIFF* Handle, const std::string& FileName, int Count) {
  std::vector<TTiffHandle> Result;
  struct stat Own {};
  if (fstat(TIFFFileno(Handle), &Own) != 0)
    return Result;
  while (static_cast<int>(Result.size()) < Count) {
    TTiffHandle Other(TIFFOpen(FileName.c_str(), "rm"));
    struct stat Info {};
    if (!Other || fstat(TIFFFileno(Other.get()), &Info) != 0 || Info.st_dev != Own.st_dev ||
        Info.st_ino != Own.st_ino)
      break;
    Result.push_back(std::move(Other));
  }
  return Result;
}

} // namespace

TTiffInput::TTiffInput(const std::string& FileName) : FFileName(FileName) {
  RaiseTiffFailure([&] {
    FHandle = OpenInput(FileName, FWidth, FHeight);
    // Where the read would allocate the planes next.
    if (CheckedBlockBytes(CheckedProduct(FWidth, FHeight), sizeof(uint16_t)) < 0)
      throw EOutOfMemory();
    FMeta = ReadTiffMeta(FHandle.get(), FileName);
    FLayout = GetTiffLayout(FHandle.get());
    FUncompressed = IsUncompressed(FHandle.get());
  });
}

bool TTiffInput::Streamable() const {
  return FLayout == tlContigStrips && FUncompressed;
}

void TTiffInput::CheckStrips() {
  RaiseTiffFailure([&] { CheckContigStrips(FHandle.get(), FWidth, FHeight); });
}

void TTiffInput::ReadStrips(int Parts, const TPartRunner& Run, const TStripRows& Rows) {
  const std::vector<TTiffHandle> More = MoreHandles(FHandle.get(), FFileName, Parts - 1);
  Parts = static_cast<int>(More.size()) + 1;
  std::vector<std::exception_ptr> Failures(static_cast<size_t>(Parts));
  Run(Parts, [&](int Part) {
    try {
      RaiseTiffFailure([&] {
        TIFF* Handle = Part > 0 ? More[static_cast<size_t>(Part - 1)].get() : FHandle.get();
        ForEachContigStrip(Handle, FWidth, FHeight, Part, Parts, Rows);
      });
    } catch (...) {
      Failures[static_cast<size_t>(Part)] = std::current_exception();
    }
  });
  for (const std::exception_ptr& Failure : Failures)
    if (Failure)
      std::rethrow_exception(Failure);
}

bool TTiffInput::StoredInterleaved() const {
  return FLayout == tlContigStrips &&
         CheckedBlockBytes(CheckedProduct(FWidth, FHeight, 3), sizeof(uint16_t)) >= 0;
}

void TTiffInput::ReadAsStored(TPlane16& Rgb) {
  try {
    RaiseTiffFailure([&] {
      const int64_t Count = CheckedProduct(FWidth, FHeight, 3);
      if (!StoredInterleaved())
        FailTiff(MsgUnexpected);
      if (LargeArrayCount(Rgb) < Count) {
        Rgb.reset();
        Rgb = AllocLargeArray<uint16_t>(Count);
      }
      ReadContigStripsAsStored(FHandle.get(), FWidth, FHeight, Rgb.get());
    });
  } catch (...) {
    Rgb.reset();
    throw;
  }
}

void TTiffInput::Read(TPlane16& Red, TPlane16& Green, TPlane16& Blue) {
  try {
    RaiseTiffFailure([&] { ReadInput(FHandle.get(), FLayout, FWidth, FHeight, Red, Green, Blue); });
  } catch (...) {
    Red.reset();
    Green.reset();
    Blue.reset();
    throw;
  }
}
