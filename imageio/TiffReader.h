#pragma once
// Reading one 16-bit exposure from a TIFF file into three channel planes.
#include "PictureMeta.h"
#include "Plane16.h"

#include <cstdint>
#include <memory>
#include <string>
#include <tiffio.h>

enum TTiffLayout : uint8_t {
  tlGeneric,
  tlContigStrips,
  tlContigTiles,
  tlSeparateStrips,
  tlSeparateTiles
};

TTiffLayout GetTiffLayout(TIFF* Handle);

namespace detail {
struct TTiffCloser {
  void operator()(TIFF* Handle) const { TIFFClose(Handle); }
};
} // namespace detail

// One TIFF exposure read in two steps, so that a picture can be refused by
// its size before it is read: the file opened and its size taken, then its
// samples read. Both raise an Exception with the reader's fixed messages.
class TTiffInput {
public:
  // Opens FileName and reads its width and height and what travels with
  // the picture; a size whose planes could not be allocated is refused
  // here.
  explicit TTiffInput(const std::string& FileName);
  uint32_t Width() const { return FWidth; }
  uint32_t Height() const { return FHeight; }
  const TPictureMeta& Meta() const { return FMeta; }
  // Reads the picture into the three planes. Planes that already hold
  // Width x Height samples each are filled again rather than allocated
  // anew, so a run of equal exposures reads into the same memory. After a
  // failure the planes are empty.
  void Read(TPlane16& Red, TPlane16& Green, TPlane16& Blue);
  // Whether the picture is 16-bit RGB in interleaved strips whose samples
  // fit one block: ReadAsStored can read it.
  bool StoredInterleaved() const;
  // Reads such a picture as stored, straight into one block of Width x
  // Height pixels of red, green and blue samples, rows back to back:
  // nothing is copied on the way. A block that already holds as many is
  // filled again. After a failure Rgb is empty.
  void ReadAsStored(TPlane16& Rgb);

private:
  std::unique_ptr<TIFF, detail::TTiffCloser> FHandle;
  uint32_t FWidth = 0;
  uint32_t FHeight = 0;
  TTiffLayout FLayout = tlGeneric;
  TPictureMeta FMeta;
};
