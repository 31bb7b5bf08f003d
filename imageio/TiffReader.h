#pragma once
// Reading one 16-bit exposure from a TIFF file: into three channel planes,
// as stored, or strip by strip as it is added.
#include "PartRunner.h"
#include "PictureMeta.h"
#include "Plane16.h"

#include <cstdint>
#include <functional>
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

// Takes Rows rows from row Y0 of a picture, read by part Part of the work:
// red, green and blue samples interleaved, rows back to back.
using TStripRows = std::function<void(int Part, uint32_t Y0, uint32_t Rows, const uint16_t* Rgb)>;

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
  // Whether the picture is 16-bit RGB in uncompressed interleaved strips:
  // reading it is a copy, so it is best read as it is added, a strip at a
  // time, with no buffer of its size.
  bool Streamable() const;
  // Refuses such a file, as Read would, when a strip is not in the file in
  // full: a damaged file is refused before any of it is used.
  void CheckStrips();
  // Hands the rows of such a file to Rows a strip at a time. The strips
  // are cut into up to Parts runs read at once by Run, each through a
  // handle of its own on the same file, so Rows is called on several
  // threads for distinct rows. The first failure in part order is raised
  // when all parts are done.
  void ReadStrips(int Parts, const TPartRunner& Run, const TStripRows& Rows);

private:
  std::string FFileName;
  std::unique_ptr<TIFF, detail::TTiffCloser> FHandle;
  uint32_t FWidth = 0;
  uint32_t FHeight = 0;
  TTiffLayout FLayout = tlGeneric;
  bool FUncompressed = false;
  TPictureMeta FMeta;
};
