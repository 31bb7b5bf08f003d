#include "RawInput.h"

#include "LinearProfile.h"
#include "VekExceptions.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <libraw.h>

void detail::TLibRawFree::operator()(LibRaw* Raw) const {
  delete Raw;
}

std::string MsgRawUnreadable(const std::string& FileName) {
  return "Rohdatei '" + FileName + "' kann nicht gelesen werden\r\nBearbeitung wird abgebrochen";
}

// OpenMP's, in the runtime Debian's LibRaw is built with. Declared here
// rather than through omp.h, which only the compiler's own OpenMP brings.
extern "C" void omp_set_num_threads(int);

namespace {

// A raw area this much larger than the picture it holds is a damaged
// header, not a camera: real sensors have margins of a few per cent.
constexpr int64_t MaxRawAreaFactor = 4;
constexpr int64_t MaxRawAreaSlack = int64_t{1} << 20;
// Bytes LibRaw may take per raw pixel: four 16-bit samples at most.
constexpr int64_t RawBytesPerPixel = 8;

// LibRaw's own reports go to stderr; its failures reach us as codes.
void Quiet(void*, const char*, int) {}
void QuietMemory(void*, const char*, const char*) {}

int StopWhenAsked(void* Data, LibRaw_progress, int, int) {
  const auto* Stop = static_cast<const std::atomic<bool>*>(Data);
  return Stop && *Stop ? 1 : 0;
}

std::string Text(const char* Field, size_t Size) {
  return std::string(Field, strnlen(Field, Size));
}

// "YYYY:MM:DD HH:MM:SS" as EXIF writes it, in the local time LibRaw read
// the camera's stamp in.
std::string ExifTime(time_t Stamp) {
  if (Stamp <= 0)
    return {};
  std::tm Local{};
  if (!localtime_r(&Stamp, &Local))
    return {};
  char Buffer[32];
  const size_t Length = std::strftime(Buffer, sizeof(Buffer), "%Y:%m:%d %H:%M:%S", &Local);
  return std::string(Buffer, Length);
}

TPictureMeta MetaOf(const libraw_data_t& Data) {
  TPictureMeta Meta;
  Meta.IccProfile = LinearSrgbProfile();
  Meta.Make = Text(Data.idata.make, sizeof(Data.idata.make));
  Meta.Model = Text(Data.idata.model, sizeof(Data.idata.model));
  Meta.Artist = Text(Data.other.artist, sizeof(Data.other.artist));
  Meta.DateTimeOriginal = ExifTime(Data.other.timestamp);
  if (Data.other.aperture > 0)
    Meta.FNumber = Data.other.aperture;
  if (Data.other.focal_len > 0)
    Meta.FocalLength = Data.other.focal_len;
  Meta.LensMake = Text(Data.lens.LensMake, sizeof(Data.lens.LensMake));
  Meta.LensModel = Text(Data.lens.Lens, sizeof(Data.lens.Lens));
  // The planes are turned already: no Orientation travels with them.
  return Meta;
}

// Linear 16-bit output as the camera saw the scene: no curve, no
// brightening, the white level as full scale (LibRaw would otherwise
// lower it to the brightest value found), clipped highlights, and the
// picture's own pixel grid (no 45-degree turn for diagonal sensors).
void SetLinearOutput(libraw_output_params_t& Params) {
  Params.output_bps = 16;
  Params.gamm[0] = 1.0;
  Params.gamm[1] = 1.0;
  Params.no_auto_bright = 1;
  Params.use_camera_wb = 1;
  Params.use_auto_wb = 0;
  Params.half_size = 0;
  Params.user_qual = 3;    // AHD
  Params.output_color = 1; // sRGB primaries
  Params.highlight = 0;
  Params.adjust_maximum_thr = 0.0F;
  Params.use_fuji_rotate = 0;
  Params.user_flip = -1;
}

// Copies the processed picture (unturned, four samples per pixel) turned
// by LibRaw's Flip into the planes: bit 4 swaps rows and columns, bit 2
// mirrors the rows, bit 1 the columns, as LibRaw writes its own output.
void CopyTurned(const libraw_data_t& Data, uint16_t* Red, uint16_t* Green, uint16_t* Blue) {
  const int Width = Data.sizes.iwidth;
  const int Height = Data.sizes.iheight;
  const int Flip = Data.sizes.flip;
  const int OutWidth = (Flip & 4) ? Height : Width;
  const int OutHeight = (Flip & 4) ? Width : Height;
  const ushort(*Image)[4] = Data.image;
  size_t Out = 0;
  for (int Y = 0; Y < OutHeight; ++Y)
    for (int X = 0; X < OutWidth; ++X, ++Out) {
      int Row = (Flip & 4) ? X : Y;
      int Col = (Flip & 4) ? Y : X;
      if (Flip & 2)
        Row = Height - 1 - Row;
      if (Flip & 1)
        Col = Width - 1 - Col;
      const ushort* Pixel =
          Image[static_cast<size_t>(Row) * static_cast<size_t>(Width) + static_cast<size_t>(Col)];
      Red[Out] = Pixel[0];
      Green[Out] = Pixel[1];
      Blue[Out] = Pixel[2];
    }
}

} // namespace

TRawInput::TRawInput(const std::string& FileName) : FFileName(FileName) {
  auto Fail = [&](const std::string& Cause) {
    throw Exception(MsgRawUnreadable(FFileName), Cause);
  };
  try {
    FRaw.reset(new LibRaw(LIBRAW_OPTIONS_NONE));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  FRaw->set_dataerror_handler(Quiet, nullptr);
  FRaw->set_memerror_handler(QuietMemory, nullptr);
  const int Code = FRaw->open_file(FileName.c_str());
  if (Code == LIBRAW_UNSUFFICIENT_MEMORY)
    throw EOutOfMemory();
  if (Code != LIBRAW_SUCCESS)
    Fail(libraw_strerror(Code));
  const libraw_data_t& Data = FRaw->imgdata;
  const libraw_image_sizes_t& Sizes = Data.sizes;
  if (Sizes.width == 0 || Sizes.height == 0 || Sizes.raw_width == 0 || Sizes.raw_height == 0)
    Fail("no picture in the file");
  const int64_t Pixels = int64_t{Sizes.width} * Sizes.height;
  const int64_t RawPixels = int64_t{Sizes.raw_width} * Sizes.raw_height;
  if (RawPixels > MaxRawAreaFactor * Pixels + MaxRawAreaSlack)
    Fail("raw area of " + std::to_string(Sizes.raw_width) + " x " +
         std::to_string(Sizes.raw_height) + " for a picture of " + std::to_string(Sizes.width) +
         " x " + std::to_string(Sizes.height));
  // Where the planes would be allocated: a size they cannot have is
  // refused as the other readers refuse it.
  if (CheckedBlockBytes(Pixels, sizeof(uint16_t)) < 0)
    throw EOutOfMemory();
  // LibRaw refuses to unpack more than this, whatever the header says.
  FRaw->imgdata.params.max_raw_memory_mb =
      static_cast<unsigned>(RawPixels * RawBytesPerPixel / (int64_t{1} << 20) + 1);
  const bool Turned = (Sizes.flip & 4) != 0;
  FWidth = Turned ? Sizes.height : Sizes.width;
  FHeight = Turned ? Sizes.width : Sizes.height;
  FMeta = MetaOf(Data);
}

void TRawInput::Read(TPlane16& Red, TPlane16& Green, TPlane16& Blue,
                     const std::atomic<bool>* Stop) {
  LibRaw& Raw = *FRaw;
  auto Check = [&](int Code) {
    if (Code == LIBRAW_SUCCESS)
      return;
    if (Code == LIBRAW_CANCELLED_BY_CALLBACK)
      throw EAbort();
    if (Code == LIBRAW_UNSUFFICIENT_MEMORY)
      throw EOutOfMemory();
    throw Exception(MsgRawUnreadable(FFileName), libraw_strerror(Code));
  };
  try {
    Raw.set_progress_handler(StopWhenAsked, const_cast<std::atomic<bool>*>(Stop));
    SetLinearOutput(Raw.imgdata.params);
    // Files are decoded on threads of their own already: LibRaw's OpenMP
    // teams on top would crowd the cores, and each thread that decoded
    // would keep a pool of idle OpenMP threads for the rest of the run.
    omp_set_num_threads(1);
    Check(Raw.unpack());
    // LibRaw fills what it could not decode and goes on; a picture with
    // holes is not added.
    if (Raw.error_count() > 0)
      Check(LIBRAW_DATA_ERROR);
    Check(Raw.dcraw_process());
    const libraw_image_sizes_t& Sizes = Raw.imgdata.sizes;
    const bool Turned = (Sizes.flip & 4) != 0;
    if (!Raw.imgdata.image || (Turned ? Sizes.iheight : Sizes.iwidth) != FWidth ||
        (Turned ? Sizes.iwidth : Sizes.iheight) != FHeight)
      Check(LIBRAW_DATA_ERROR);
    ProvidePlanes16(Red, Green, Blue, FWidth, FHeight);
    CopyTurned(Raw.imgdata, Red.get(), Green.get(), Blue.get());
    // LibRaw's buffers go now, not when the reader goes.
    Raw.recycle();
  } catch (const std::bad_alloc&) {
    Red.reset();
    Green.reset();
    Blue.reset();
    throw EOutOfMemory();
  } catch (...) {
    Red.reset();
    Green.reset();
    Blue.reset();
    throw;
  }
}
