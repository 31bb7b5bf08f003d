#pragma once
// JPEG input: one JPEG exposure decoded into the run's 24-bit work bitmap.
#include "Bitmap24.h"
#include "PictureMeta.h"
#include "VekUncopyable.h"

#include <atomic>
#include <memory>
#include <string>

// The JPEG image object of a run: created once, reused for every JPEG file
// of the run. It holds the bytes of the last loaded file and, until that
// file is decoded, its header.
class TJpegImage : TVekUncopyable {
public:
  TJpegImage();
  ~TJpegImage();

  // The size the header of the loaded file gives.
  int Width() const;
  int Height() const;
  // What travels with the loaded file's picture.
  const TPictureMeta& Meta() const;

  struct TState;

private:
  friend void LoadJpegHeader(TJpegImage& Image, const std::string& FileName);
  friend void DecodeJpegBgr(TJpegImage& Image, TBitmap24& Bitmap, const std::atomic<bool>* Stop);
  std::unique_ptr<TState> FState;
};

// Loads FileName into Image and reads its header, so that a picture can be
// refused by its size before it is decoded. Raises EFOpenError when the
// file cannot be opened, EInOutError when it cannot be read and EJPEG
// "JPEG error #N" when libjpeg refuses the header.
void LoadJpegHeader(TJpegImage& Image, const std::string& FileName);
// Decodes the file loaded last at full size into Bitmap: top row first,
// pixels blue, green, red. Raises EJPEG "JPEG error #N" for a fatal decoder
// error, and EAbort when Stop is set meanwhile (the bitmap is then
// incomplete). The file's header is used up: each load decodes once.
void DecodeJpegBgr(TJpegImage& Image, TBitmap24& Bitmap, const std::atomic<bool>* Stop = nullptr);
// Both: FileName loaded into Image and decoded into Bitmap.
void LoadJpegBgr(TJpegImage& Image, const std::string& FileName, TBitmap24& Bitmap);
