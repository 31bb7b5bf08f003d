#pragma once
// One input file of a run in memory: a JPEG decoded into a 24-bit bitmap,
// a TIFF or a camera raw file read into 16-bit samples, its header read
// first so that its size can be refused before its pixels are read.
#include "AsSaveTiff16Unit.h"
#include "Bitmap24.h"
#include "ExposureAccumulator.h"
#include "JpegInput.h"
#include "PictureMeta.h"
#include "RawInput.h"

#include <atomic>
#include <memory>
#include <string>

enum class TExposureKind : uint8_t { Other, Jpeg, Tiff, Raw };

// The kind a run gives a file by its upper-cased extension: ".JPG", ".TIF"
// or one of the raw extensions.
TExposureKind ExposureKindOf(const std::string& FileName);

// The buffers stay for the next file read into the same object, so a run
// of equal exposures takes fresh memory once per object, not per file.
// The buffers of the other kind are freed when a file of one kind comes.
class TExposure {
public:
  // Planes: every TIFF is read into three planes, as alignment needs
  // them. Otherwise a TIFF of interleaved 16-bit strips is read as stored
  // and added from there, which saves copying its samples once; an
  // uncompressed one only when it is added (Streamed).
  explicit TExposure(bool Planes = false) : FPlanes(Planes) {}

  // Reads the header of FileName: Width and Height are then its size.
  // Raises as LoadJpegBgr or LoadTiff16 do up to the header, or as
  // TRawInput does.
  void ReadHeader(const std::string& FileName, TExposureKind Kind);
  // Reads the pixels of the file whose header was read last. Raises as
  // the readers do; EAbort when Stop is set while a JPEG or a raw file is
  // decoded.
  void ReadPixels(const std::atomic<bool>* Stop);

  TExposureKind Kind() const { return FKind; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // A JPEG's picture: blue, green, red rows.
  TBitmap24& Bitmap() { return FBitmap; }
  // A TIFF's or a raw file's samples; none for a streamed file.
  TSamples16 Samples16() const;
  // Whether the file's pixels were checked rather than read: they are read
  // when added, a strip at a time (TTiffInput::Streamable).
  bool Streamed() const { return FStreamed; }
  // Hands the rows of a streamed file to Rows, once, read in Parts parts
  // on the run's threads (TTiffInput::ReadStrips). Raises as the TIFF
  // reader does.
  void ReadStreamed(int Parts, const TStripRows& Rows);
  const TPictureMeta& Meta() const { return FMeta; }
  // Plane 0 red, 1 green, 2 blue, for a stage that replaces its samples;
  // only of an exposure made to read planes.
  TPlane16& Plane(int Channel) { return Channel == 0 ? FRed : Channel == 1 ? FGreen : FBlue; }

private:
  void FreePlanes();

  const bool FPlanes;
  TExposureKind FKind = TExposureKind::Other;
  bool FStreamed = false;
  int FWidth = 0;
  int FHeight = 0;
  TJpegImage FJpeg;
  TBitmap24 FBitmap;
  std::unique_ptr<TTiffInput> FTiff;
  std::unique_ptr<TRawInput> FRaw;
  TPlane16 FRed, FGreen, FBlue;
  // A TIFF read as stored: red, green, blue interleaved.
  TPlane16 FRgb;
  TPictureMeta FMeta;
};
