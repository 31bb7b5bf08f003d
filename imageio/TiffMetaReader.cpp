#include "TiffMetaReader.h"

#include "TiffDetail.h"

#include <cmath>
#include <cstring>

using namespace detail;

namespace {

// A profile larger than this is no colour profile but damage.
constexpr uint32_t MaxProfileBytes = 64u << 20;

std::string Text(TIFF* Handle, uint32_t Tag) {
  const char* Value = nullptr;
  if (TIFFGetField(Handle, Tag, &Value) != 1 || !Value)
    return {};
  return Value;
}

// EXIF rationals come as float or double, as the library's field says.
double Rational(TIFF* Handle, uint32_t Tag) {
  const TIFFField* Field = TIFFFieldWithTag(Handle, Tag);
  if (!Field)
    return 0;
  double Value = 0;
  if (TIFFFieldSetGetSize(Field) == sizeof(float)) {
    float Single = 0;
    if (TIFFGetField(Handle, Tag, &Single) != 1)
      return 0;
    Value = Single;
  } else if (TIFFGetField(Handle, Tag, &Value) != 1) {
    return 0;
  }
  return std::isfinite(Value) && Value > 0 ? Value : 0;
}

void ReadExif(const std::string& FileName, uint64_t Offset, TPictureMeta& Meta) {
  const TTiffHandle Exif(TIFFOpen(FileName.c_str(), "rm"));
  if (!Exif || !TIFFReadEXIFDirectory(Exif.get(), Offset))
    return;
  TIFF* Handle = Exif.get();
  Meta.DateTimeOriginal = Text(Handle, EXIFTAG_DATETIMEORIGINAL);
  Meta.OffsetTimeOriginal = Text(Handle, EXIFTAG_OFFSETTIMEORIGINAL);
  Meta.FNumber = Rational(Handle, EXIFTAG_FNUMBER);
  Meta.FocalLength = Rational(Handle, EXIFTAG_FOCALLENGTH);
  Meta.LensMake = Text(Handle, EXIFTAG_LENSMAKE);
  Meta.LensModel = Text(Handle, EXIFTAG_LENSMODEL);
}

} // namespace

TPictureMeta ReadTiffMeta(TIFF* Handle, const std::string& FileName) {
  TPictureMeta Meta;
  uint32_t ProfileBytes = 0;
  const uint8_t* Profile = nullptr;
  if (TIFFGetField(Handle, TIFFTAG_ICCPROFILE, &ProfileBytes, &Profile) == 1 && Profile &&
      ProfileBytes > 0 && ProfileBytes <= MaxProfileBytes)
    Meta.IccProfile.assign(Profile, Profile + ProfileBytes);
  Meta.Make = Text(Handle, TIFFTAG_MAKE);
  Meta.Model = Text(Handle, TIFFTAG_MODEL);
  Meta.Artist = Text(Handle, TIFFTAG_ARTIST);
  Meta.Copyright = Text(Handle, TIFFTAG_COPYRIGHT);
  uint16_t Orientation = 0;
  if (GetTiffLayout(Handle) != tlGeneric &&
      TIFFGetField(Handle, TIFFTAG_ORIENTATION, &Orientation) == 1 &&
      Orientation > ORIENTATION_TOPLEFT && Orientation <= ORIENTATION_LEFTBOT)
    Meta.Orientation = Orientation;
  uint64_t ExifOffset = 0;
  if (TIFFGetField(Handle, TIFFTAG_EXIFIFD, &ExifOffset) == 1 && ExifOffset != 0)
    ReadExif(FileName, ExifOffset, Meta);
  return Meta;
}
