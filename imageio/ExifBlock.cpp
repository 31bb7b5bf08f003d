#include "ExifBlock.h"

#include <cmath>
#include <libexif/exif-data.h>
#include <memory>
#include <string>

namespace {

struct TExifDataFree {
  void operator()(ExifData* Data) const { exif_data_unref(Data); }
};

// A text field: ASCII, up to its first NUL.
std::string Text(ExifContent* Ifd, ExifTag Tag) {
  const ExifEntry* Entry = exif_content_get_entry(Ifd, Tag);
  if (!Entry || Entry->format != EXIF_FORMAT_ASCII || !Entry->data || Entry->size == 0)
    return {};
  const char* Chars = reinterpret_cast<const char*>(Entry->data);
  std::string Value(Chars, Entry->size);
  Value.resize(Value.find('\0') == std::string::npos ? Value.size() : Value.find('\0'));
  return Value;
}

double Rational(ExifContent* Ifd, ExifTag Tag, ExifByteOrder Order) {
  const ExifEntry* Entry = exif_content_get_entry(Ifd, Tag);
  if (!Entry || Entry->format != EXIF_FORMAT_RATIONAL || !Entry->data ||
      Entry->size < exif_format_get_size(EXIF_FORMAT_RATIONAL))
    return 0;
  const ExifRational Value = exif_get_rational(Entry->data, Order);
  if (Value.denominator == 0)
    return 0;
  const double Result = static_cast<double>(Value.numerator) / Value.denominator;
  return std::isfinite(Result) && Result > 0 ? Result : 0;
}

uint16_t Orientation(ExifContent* Ifd, ExifByteOrder Order) {
  const ExifEntry* Entry = exif_content_get_entry(Ifd, EXIF_TAG_ORIENTATION);
  if (!Entry || Entry->format != EXIF_FORMAT_SHORT || !Entry->data ||
      Entry->size < exif_format_get_size(EXIF_FORMAT_SHORT))
    return 0;
  const uint16_t Value = exif_get_short(Entry->data, Order);
  return Value > 1 && Value <= 8 ? Value : 0;
}

} // namespace

void ReadExifBlock(const uint8_t* Data, size_t Size, TPictureMeta& Meta) {
  const std::unique_ptr<ExifData, TExifDataFree> Exif(exif_data_new());
  if (!Exif || Size > UINT32_MAX)
    return;
  // Read as it is: every load option exif_data_new sets (dropping unknown
  // tags, adding and correcting tags to the standard) off, so no tag is
  // added and none dropped; the maker note left alone.
  for (int Option = EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS;
       Option < EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE; Option <<= 1)
    exif_data_unset_option(Exif.get(), static_cast<ExifDataOption>(Option));
  exif_data_set_option(Exif.get(), EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE);
  exif_data_load_data(Exif.get(), Data, static_cast<unsigned>(Size));
  const ExifByteOrder Order = exif_data_get_byte_order(Exif.get());
  ExifContent* Ifd0 = Exif->ifd[EXIF_IFD_0];
  ExifContent* ExifIfd = Exif->ifd[EXIF_IFD_EXIF];
  Meta.Make = Text(Ifd0, EXIF_TAG_MAKE);
  Meta.Model = Text(Ifd0, EXIF_TAG_MODEL);
  Meta.Orientation = Orientation(Ifd0, Order);
  Meta.Artist = Text(Ifd0, EXIF_TAG_ARTIST);
  Meta.Copyright = Text(Ifd0, EXIF_TAG_COPYRIGHT);
  Meta.DateTimeOriginal = Text(ExifIfd, EXIF_TAG_DATE_TIME_ORIGINAL);
  Meta.OffsetTimeOriginal = Text(ExifIfd, EXIF_TAG_OFFSET_TIME_ORIGINAL);
  Meta.FNumber = Rational(ExifIfd, EXIF_TAG_FNUMBER, Order);
  Meta.FocalLength = Rational(ExifIfd, EXIF_TAG_FOCAL_LENGTH, Order);
  Meta.LensMake = Text(ExifIfd, EXIF_TAG_LENS_MAKE);
  Meta.LensModel = Text(ExifIfd, EXIF_TAG_LENS_MODEL);
}
