#include "TiffMetaWriter.h"

#include "TiffWriterFile.h"

namespace detail {

namespace {

const std::string Software = "Velmora " VELMORA_VERSION;

void SetText(TIFF* Tif, uint32_t Tag, const std::string& Text) {
  if (!Text.empty())
    TIFFSetField(Tif, Tag, Text.c_str());
}

void SetRational(TIFF* Tif, uint32_t Tag, double Value) {
  if (Value > 0)
    TIFFSetField(Tif, Tag, Value);
}

bool HasExifFields(const TPictureMeta& Meta) {
  return !Meta.DateTimeOriginal.empty() || !Meta.OffsetTimeOriginal.empty() || Meta.FNumber > 0 ||
         Meta.FocalLength > 0 || !Meta.LensMake.empty() || !Meta.LensModel.empty();
}

} // namespace

uint64_t WriteExifDirectory(TIFF* Tif, const TPictureMeta& Meta) {
  if (!HasExifFields(Meta))
    return 0;
  // The library answers 0 for success here.
  if (TIFFCreateEXIFDirectory(Tif) != 0)
    FailTiff(MsgUnexpected);
  // OffsetTimeOriginal came with version 2.31.
  TIFFSetField(Tif, EXIFTAG_EXIFVERSION, "0231");
  SetText(Tif, EXIFTAG_DATETIMEORIGINAL, Meta.DateTimeOriginal);
  SetText(Tif, EXIFTAG_OFFSETTIMEORIGINAL, Meta.OffsetTimeOriginal);
  SetRational(Tif, EXIFTAG_FNUMBER, Meta.FNumber);
  SetRational(Tif, EXIFTAG_FOCALLENGTH, Meta.FocalLength);
  SetText(Tif, EXIFTAG_LENSMAKE, Meta.LensMake);
  SetText(Tif, EXIFTAG_LENSMODEL, Meta.LensModel);
  uint64_t Offset = 0;
  errno = 0;
  if (!TIFFWriteCustomDirectory(Tif, &Offset))
    FailWrite();
  // Making a directory does not free the one before: its values would leak.
  TIFFFreeDirectory(Tif);
  if (TIFFCreateDirectory(Tif) != 0)
    FailTiff(MsgUnexpected);
  return Offset;
}

void SetMetaFields(TIFF* Tif, const TPictureMeta& Meta, uint64_t ExifOffset) {
  if (!Meta.IccProfile.empty())
    TIFFSetField(Tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(Meta.IccProfile.size()),
                 Meta.IccProfile.data());
  if (Meta.NoFields())
    return;
  SetText(Tif, TIFFTAG_MAKE, Meta.Make);
  SetText(Tif, TIFFTAG_MODEL, Meta.Model);
  if (Meta.Orientation >= ORIENTATION_TOPLEFT && Meta.Orientation <= ORIENTATION_LEFTBOT)
    TIFFSetField(Tif, TIFFTAG_ORIENTATION, Meta.Orientation);
  SetText(Tif, TIFFTAG_ARTIST, Meta.Artist);
  SetText(Tif, TIFFTAG_COPYRIGHT, Meta.Copyright);
  SetText(Tif, TIFFTAG_SOFTWARE, Software);
  if (ExifOffset != 0)
    TIFFSetField(Tif, TIFFTAG_EXIFIFD, ExifOffset);
}

} // namespace detail
