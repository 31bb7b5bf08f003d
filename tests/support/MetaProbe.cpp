#include "MetaProbe.h"

#include <memory>
#include <stdexcept>
#include <tiffio.h>

namespace {

struct TTiffCloser {
  void operator()(TIFF* Tif) const { TIFFClose(Tif); }
};

void Texts(TIFF* Tif, std::initializer_list<uint32_t> Tags, TMetaProbe& Probe) {
  for (const uint32_t Tag : Tags) {
    const char* Value = nullptr;
    if (TIFFGetField(Tif, Tag, &Value) == 1 && Value)
      Probe.Fields[Tag] = Value;
  }
}

// Rationals are floats or doubles, as the library's field says.
void Numbers(TIFF* Tif, std::initializer_list<uint32_t> Tags, TMetaProbe& Probe) {
  for (const uint32_t Tag : Tags) {
    const TIFFField* Field = TIFFFieldWithTag(Tif, Tag);
    float Single = 0;
    double Double = 0;
    if (Field && TIFFFieldSetGetSize(Field) == 4 && TIFFGetField(Tif, Tag, &Single) == 1)
      Probe.Fields[Tag] = std::to_string(Single);
    else if (Field && TIFFFieldSetGetSize(Field) == 8 && TIFFGetField(Tif, Tag, &Double) == 1)
      Probe.Fields[Tag] = std::to_string(Double);
  }
}

} // namespace

TMetaProbe ProbeMeta(const std::string& FileName) {
  const std::unique_ptr<TIFF, TTiffCloser> Tif(TIFFOpen(FileName.c_str(), "r"));
  if (!Tif)
    throw std::runtime_error("cannot open " + FileName);
  TIFF* T = Tif.get();
  TMetaProbe Probe;
  uint32_t Bytes = 0;
  const uint8_t* Profile = nullptr;
  if (TIFFGetField(T, TIFFTAG_ICCPROFILE, &Bytes, &Profile) == 1)
    Probe.IccProfile.assign(Profile, Profile + Bytes);
  Texts(T, {TIFFTAG_MAKE, TIFFTAG_MODEL, TIFFTAG_ARTIST, TIFFTAG_COPYRIGHT, TIFFTAG_SOFTWARE},
        Probe);
  uint16_t Orientation = 0;
  if (TIFFGetField(T, TIFFTAG_ORIENTATION, &Orientation) == 1)
    Probe.Fields[TIFFTAG_ORIENTATION] = std::to_string(Orientation);
  uint64_t Gps = 0;
  if (TIFFGetField(T, TIFFTAG_GPSIFD, &Gps) == 1)
    Probe.Fields[TIFFTAG_GPSIFD] = "present";
  uint64_t Exif = 0;
  if (TIFFGetField(T, TIFFTAG_EXIFIFD, &Exif) != 1 || !TIFFReadEXIFDirectory(T, Exif))
    return Probe;
  Texts(T,
        {EXIFTAG_DATETIMEORIGINAL, EXIFTAG_OFFSETTIMEORIGINAL, EXIFTAG_LENSMAKE, EXIFTAG_LENSMODEL},
        Probe);
  Numbers(T,
          {EXIFTAG_FNUMBER, EXIFTAG_FOCALLENGTH, EXIFTAG_EXPOSURETIME, EXIFTAG_EXPOSUREBIASVALUE},
          Probe);
  uint32_t NoteBytes = 0;
  const void* Note = nullptr;
  if (TIFFGetField(T, EXIFTAG_MAKERNOTE, &NoteBytes, &Note) == 1)
    Probe.Fields[EXIFTAG_MAKERNOTE] = "present";
  return Probe;
}
