#include "FuzzSupport.h"

#include "TempDir.h"
#include "VekReport.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <jpeglib.h>
#include <memory>
#include <tiffio.h>

namespace detail {

namespace {

struct TJpegPeekError {
  jpeg_error_mgr Manager;
  std::jmp_buf Escape;
};

[[noreturn]] void PeekErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TJpegPeekError*>(Info->err)->Escape, 1);
}

void PeekSilently(j_common_ptr, int) {}

// Only plain data lives in this frame, so the longjmp out of libjpeg skips
// no destructor.
bool ReadJpegSize(const uint8_t* Data, size_t Size, JDIMENSION& Width, JDIMENSION& Height) {
  jpeg_decompress_struct Info{};
  TJpegPeekError Error{};
  Info.err = jpeg_std_error(&Error.Manager);
  Error.Manager.error_exit = PeekErrorExit;
  Error.Manager.emit_message = PeekSilently;
  if (setjmp(Error.Escape)) {
    jpeg_destroy_decompress(&Info);
    return false;
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&Info, TRUE);
  Width = Info.image_width;
  Height = Info.image_height;
  jpeg_destroy_decompress(&Info);
  return true;
}

struct TTiffCloser {
  void operator()(TIFF* Handle) const { TIFFClose(Handle); }
};

bool WithinBudget(uint64_t Width, uint64_t Height) {
  return Width == 0 || Height <= MaxFuzzPixels / Width;
}

void AbortingReport(const std::string& Source, const std::string& Info) {
  std::string Text = "(no exception)";
  if (auto Current = std::current_exception()) {
    try {
      std::rethrow_exception(Current);
    } catch (const std::exception& E) {
      Text = E.what();
    } catch (...) {
      Text = "(unknown exception)";
    }
  }
  std::fprintf(stderr, "unexpected report from %s: %s %s\n", Source.c_str(), Text.c_str(),
               Info.c_str());
  std::abort();
}

} // namespace

const std::string& FuzzFolder() {
  static const TTempDir Folder;
  static const std::string Path = Folder.Path().string();
  return Path;
}

std::string WriteFuzzFile(const std::string& Name, const uint8_t* Data, size_t Size) {
  const std::string Path = FuzzFolder() + "/" + Name;
  WriteBytes(Path, std::string(reinterpret_cast<const char*>(Data), Size));
  return Path;
}

bool JpegFitsBudget(const uint8_t* Data, size_t Size) {
  JDIMENSION Width = 0;
  JDIMENSION Height = 0;
  return Size == 0 || !ReadJpegSize(Data, Size, Width, Height) || WithinBudget(Width, Height);
}

bool TiffFitsBudget(const std::string& FileName) {
  const std::unique_ptr<TIFF, TTiffCloser> Handle(TIFFOpen(FileName.c_str(), "r"));
  if (!Handle)
    return true;
  uint32_t Width = 0;
  uint32_t Height = 0;
  TIFFGetField(Handle.get(), TIFFTAG_IMAGEWIDTH, &Width);
  TIFFGetField(Handle.get(), TIFFTAG_IMAGELENGTH, &Height);
  uint32_t TileWidth = 0;
  uint32_t TileLength = 0;
  TIFFGetField(Handle.get(), TIFFTAG_TILEWIDTH, &TileWidth);
  TIFFGetField(Handle.get(), TIFFTAG_TILELENGTH, &TileLength);
  return WithinBudget(Width, Height) && WithinBudget(TileWidth, TileLength);
}

void AbortOnReport() {
  SetReportErrorHandler(AbortingReport);
}

void Require(bool Condition, const char* Why) {
  if (Condition)
    return;
  std::fprintf(stderr, "property violated: %s\n", Why);
  std::abort();
}

} // namespace detail
