#pragma once
// JPEG input: one JPEG exposure decoded into the run's 24-bit work bitmap.
#include "Bitmap24.h"

#include <memory>
#include <string>

// The JPEG image object of a run: created once, reused for every JPEG file
// of the run. It holds the bytes of the last loaded file.
class TJpegImage {
public:
  TJpegImage();
  ~TJpegImage();
  TJpegImage(const TJpegImage&) = delete;
  TJpegImage& operator=(const TJpegImage&) = delete;

  struct TState;

private:
  friend void LoadJpegBgr(TJpegImage& Image, const std::string& FileName, TBitmap24& Bitmap);
  std::unique_ptr<TState> FState;
};

// Loads FileName into Image and decodes it at full size into Bitmap:
// top row first, pixels blue, green, red. Raises EFOpenError when the file
// cannot be opened and EJPEG "JPEG error #N" for a fatal decoder error.
void LoadJpegBgr(TJpegImage& Image, const std::string& FileName, TBitmap24& Bitmap);
