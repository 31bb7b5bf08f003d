#include "JpegMaker.h"

#include "TempDir.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <stdexcept>

namespace {

struct TMakerError {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
};

void MakerErrorExit(j_common_ptr Info) {
  longjmp(reinterpret_cast<TMakerError*>(Info->err)->Jump, 1);
}

J_COLOR_SPACE ColorSpaceOf(TJpegKind Kind) {
  switch (Kind) {
  case TJpegKind::Grey:
    return JCS_GRAYSCALE;
  case TJpegKind::Cmyk:
    return JCS_CMYK;
  default:
    return JCS_RGB;
  }
}

// The libjpeg part, free of objects with destructors so that the error
// exit may jump over it. Returns 0 or the libjpeg message code.
int Compress(jpeg_compress_struct& Info, TMakerError& Error, const TJpegPicture& Picture,
             const TJpegOptions& Options, unsigned char** Out, unsigned long* OutSize) {
  if (setjmp(Error.Jump))
    return Error.Pub.msg_code ? Error.Pub.msg_code : -1;
  jpeg_mem_dest(&Info, Out, OutSize);
  Info.image_width = static_cast<JDIMENSION>(Picture.Width);
  Info.image_height = static_cast<JDIMENSION>(Picture.Height);
  Info.input_components = TJpegPicture::ComponentsOf(Picture.Kind);
  Info.in_color_space = ColorSpaceOf(Picture.Kind);
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Options.Quality, TRUE);
  if (Picture.Kind == TJpegKind::Cmyk)
    Info.write_Adobe_marker = Options.AdobeMarker ? TRUE : FALSE;
  if (Options.Progressive)
    jpeg_simple_progression(&Info);
  jpeg_start_compress(&Info, TRUE);
  const size_t Stride = static_cast<size_t>(Picture.Width) * Info.input_components;
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Row = const_cast<JSAMPROW>(Picture.Samples.data() + Info.next_scanline * Stride);
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  return 0;
}

} // namespace

int TJpegPicture::ComponentsOf(TJpegKind Kind) {
  switch (Kind) {
  case TJpegKind::Grey:
    return 1;
  case TJpegKind::Cmyk:
    return 4;
  default:
    return 3;
  }
}

TJpegPicture TJpegPicture::Solid(int Width, int Height, TJpegKind Kind,
                                 const std::vector<uint8_t>& Pixel) {
  if (static_cast<int>(Pixel.size()) != ComponentsOf(Kind))
    throw std::invalid_argument("pixel does not match the kind of picture");
  TJpegPicture Picture{Width, Height, Kind, {}};
  Picture.Samples.reserve(static_cast<size_t>(Width) * Height * Pixel.size());
  for (int64_t I = 0; I < static_cast<int64_t>(Width) * Height; ++I)
    Picture.Samples.insert(Picture.Samples.end(), Pixel.begin(), Pixel.end());
  return Picture;
}

uint8_t* TJpegPicture::At(int X, int Y) {
  return Samples.data() + (static_cast<size_t>(Y) * Width + X) * ComponentsOf(Kind);
}

std::string EncodeJpeg(const TJpegPicture& Picture, const TJpegOptions& Options) {
  const size_t Expected = static_cast<size_t>(Picture.Width) * Picture.Height *
                          TJpegPicture::ComponentsOf(Picture.Kind);
  if (Picture.Samples.size() != Expected)
    throw std::invalid_argument("sample count does not match the picture size");
  jpeg_compress_struct Info{};
  TMakerError Error{};
  Info.err = jpeg_std_error(&Error.Pub);
  Error.Pub.error_exit = MakerErrorExit;
  jpeg_create_compress(&Info);
  unsigned char* Out = nullptr;
  unsigned long OutSize = 0;
  const int Code = Compress(Info, Error, Picture, Options, &Out, &OutSize);
  jpeg_destroy_compress(&Info);
  std::string Bytes;
  if (Code == 0)
    Bytes.assign(reinterpret_cast<const char*>(Out), OutSize);
  std::free(Out);
  if (Code != 0)
    throw std::runtime_error("libjpeg refused to encode, message code " + std::to_string(Code));
  return Bytes;
}

void WriteJpeg(const std::string& FileName, const TJpegPicture& Picture,
               const TJpegOptions& Options) {
  WriteBytes(FileName, EncodeJpeg(Picture, Options));
}
