#include "TiffWriterFile.h"

#include "TiffMetaWriter.h"

#include <unistd.h>

namespace detail {

namespace {

uint16_t CompressionCode(TTiffCompression Compression) {
  static const uint16_t Codes[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE};
  return Codes[Compression <= tcDeflate ? Compression : tcNone];
}

// The library closes the descriptor it was given; the caller's stays open
// for syncing and its own close.
TTiffHandle OpenDuplicate(int Fd, const std::string& FileName) {
  errno = 0;
  const int Copy = ::dup(Fd);
  if (Copy < 0)
    FailTiff(MsgCannotCreateTiff(FileName), SystemCause(errno));
  TTiffHandle Handle(TIFFFdOpen(Copy, FileName.c_str(), "w"));
  if (!Handle) {
    const int Error = errno;
    ::close(Copy);
    FailTiff(MsgCannotCreateTiff(FileName), SystemCause(Error));
  }
  return Handle;
}

} // namespace

void SetPictureFields(TIFF* Tif, const TTiffResult& Result, TSampleKind Kind,
                      const std::function<void(TIFF*)>& SetLayout) {
  const uint16_t Compression = CompressionCode(Result.Compression);
  TIFFSetField(Tif, TIFFTAG_IMAGEWIDTH, Result.Width);
  TIFFSetField(Tif, TIFFTAG_IMAGELENGTH, Result.Height);
  SetLayout(Tif);
  TIFFSetField(Tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(Tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(Tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(Tif, TIFFTAG_BITSPERSAMPLE, Kind == TSampleKind::Float32 ? 32 : 16);
  TIFFSetField(Tif, TIFFTAG_COMPRESSION, Compression);
  if (Kind == TSampleKind::Float32) {
    TIFFSetField(Tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    if (Compression != COMPRESSION_NONE)
      TIFFSetField(Tif, TIFFTAG_PREDICTOR, PREDICTOR_FLOATINGPOINT);
  }
}

TTiffHandle CreateTiffResult(int Fd, const std::string& FileName, const TTiffResult& Result,
                             TSampleKind Kind, const std::function<void(TIFF*)>& SetLayout) {
  if (Result.Width == 0 || Result.Height == 0)
    FailTiff(MsgUnexpected);
  TTiffHandle Handle = OpenDuplicate(Fd, FileName);
  TIFF* Tif = Handle.get();
  // The EXIF directory goes first: making it replaces the directory being
  // set up.
  const uint64_t ExifOffset = WriteExifDirectory(Tif, Result.Meta);
  SetPictureFields(Tif, Result, Kind, SetLayout);
  SetMetaFields(Tif, Result.Meta, ExifOffset);
  return Handle;
}

void FailWrite() {
  FailTiff(MsgUnexpected, SystemCause(errno));
}

void FinishTiff(TIFF* Tif) {
  errno = 0;
  if (!TIFFFlush(Tif))
    FailWrite();
}

} // namespace detail
