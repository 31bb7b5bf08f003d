#include "TiffWriterFile.h"

namespace detail {

namespace {

uint16_t CompressionCode(TTiffCompression Compression) {
  static const uint16_t Codes[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE};
  return Codes[Compression <= tcDeflate ? Compression : tcNone];
}

} // namespace

TTiffHandle CreateTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                         uint32_t Height, const std::function<void(TIFF*)>& SetLayout) {
  if (Width == 0 || Height == 0)
    FailTiff(MsgUnexpected);
  errno = 0;
  TTiffHandle Handle(TIFFOpen(FileName.c_str(), "w"));
  if (!Handle)
    FailTiff(MsgCannotCreateTiff(FileName), SystemCause(errno));
  TIFF* Tif = Handle.get();
  TIFFSetField(Tif, TIFFTAG_IMAGEWIDTH, Width);
  TIFFSetField(Tif, TIFFTAG_IMAGELENGTH, Height);
  SetLayout(Tif);
  TIFFSetField(Tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(Tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(Tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(Tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(Tif, TIFFTAG_COMPRESSION, CompressionCode(Compression));
  return Handle;
}

void FailWrite() {
  FailTiff(MsgUnexpected, SystemCause(errno));
}

void FinishTiff16(TIFF* Tif) {
  errno = 0;
  if (!TIFFFlush(Tif))
    FailWrite();
}

} // namespace detail
