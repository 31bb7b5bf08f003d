#pragma once
// TIFF files: 16-bit exposures read into channel planes, and the 16-bit
// tiled RGB result written from them.
#include "Plane16.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tiffio.h>

enum TTiffCompression : uint8_t { tcNone, tcLZW, tcDeflate };

// How a result is laid out in its file: the tiles the window writes, or
// strips of whole rows for programs that read no tiled TIFF.
enum TSaveLayout : uint8_t { slTiles, slStrips };

enum TTiffLayout : uint8_t {
  tlGeneric,
  tlContigStrips,
  tlContigTiles,
  tlSeparateStrips,
  tlSeparateTiles
};

// Replaces the TIFF library's error and warning handlers by silent ones.
// Called once at start-up; serves reader and writer alike.
void SilenceTiffLibrary();

// Reader. After a failure the three planes are empty.
void LoadTiff16(const std::string& FileName, uint32_t& Width, uint32_t& Height, TPlane16& Red,
                TPlane16& Green, TPlane16& Blue);
void InternalLoadTiff16(const std::string& FileName, uint32_t& Width, uint32_t& Height,
                        TPlane16& Red, TPlane16& Green, TPlane16& Blue, bool& Failed,
                        std::string& Message);
TTiffLayout GetTiffLayout(TIFF* Handle);

namespace detail {
struct TTiffCloser {
  void operator()(TIFF* Handle) const { TIFFClose(Handle); }
};
} // namespace detail

// LoadTiff16 in two steps, so that a picture can be refused by its size
// before it is read: the file opened and its size taken, then its samples
// read. Both raise as LoadTiff16 does, with its messages, in its order.
class TTiffInput {
public:
  // Opens FileName and reads its width and height; a size whose planes
  // could not be allocated is refused here.
  explicit TTiffInput(const std::string& FileName);
  uint32_t Width() const { return FWidth; }
  uint32_t Height() const { return FHeight; }
  // Reads the picture into the three planes. Planes that already hold
  // Width x Height samples each are filled again rather than allocated
  // anew, so a run of equal exposures reads into the same memory. After a
  // failure the planes are empty.
  void Read(TPlane16& Red, TPlane16& Green, TPlane16& Blue);

private:
  std::unique_ptr<TIFF, detail::TTiffCloser> FHandle;
  uint32_t FWidth = 0;
  uint32_t FHeight = 0;
};

// The layout routines fill the already allocated planes; they raise, and
// InternalLoadTiff16 reports what they raise.
void ReadGenericImage(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                      uint16_t* Blue);
void ReadContigStrips(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                      uint16_t* Blue);
void ReadContigTiles(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                     uint16_t* Blue);
void ReadSeparateStrips(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red,
                        uint16_t* Green, uint16_t* Blue);
void ReadSeparateTiles(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red,
                       uint16_t* Green, uint16_t* Blue);

// Writer.
// Fills Cols x Rows pixels of the piece whose top left pixel is (X0, Y0):
// red, green and blue samples interleaved, rows of the piece Stride
// samples apart. The rest of an edge tile is already zero; a strip is a
// piece as wide as the picture.
using TTileSource = std::function<void(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows,
                                       uint16_t* Tile, size_t Stride)>;
void SaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                uint32_t Height, const uint16_t* Red, const uint16_t* Green, const uint16_t* Blue);
void InternalSaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                        uint32_t Height, const uint16_t* Red, const uint16_t* Green,
                        const uint16_t* Blue, bool& Failed, std::string& Message);
// The samples of three planes of Width samples a row, as a source.
TTileSource PlanesSource(uint32_t Width, const uint16_t* Red, const uint16_t* Green,
                         const uint16_t* Blue);
// As SaveTiff16, in tiles or strips, the samples asked piece by piece from
// Source: a result can be written without planes of its own. Raises the
// writer's messages, with the system's cause where it gave one
// (Exception::Cause).
void SaveTiff16FromSource(const std::string& FileName, TSaveLayout Layout,
                          TTiffCompression Compression, uint32_t Width, uint32_t Height,
                          const TTileSource& Source);
