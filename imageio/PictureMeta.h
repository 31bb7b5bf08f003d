#pragma once
// What travels with a picture's pixels from its file to the result: its
// embedded ICC profile, byte for byte, and an allow-list of camera fields.
// Readers fill it; the writer writes it; a run carries its first file's.
// Empty fields are absent in the file and are not written.
#include <cstdint>
#include <string>
#include <vector>

struct TPictureMeta {
  std::vector<uint8_t> IccProfile;
  // IFD0.
  std::string Make;
  std::string Model;
  uint16_t Orientation = 0; // 0: absent or top-left, the default
  std::string Artist;
  std::string Copyright;
  // EXIF IFD.
  std::string DateTimeOriginal;
  std::string OffsetTimeOriginal;
  double FNumber = 0;     // 0: absent
  double FocalLength = 0; // millimetres; 0: absent
  std::string LensMake;
  std::string LensModel;

  // True when nothing but the profile is known: no tag of its own is
  // written, so an untagged result stays as it always was.
  bool NoFields() const {
    return Make.empty() && Model.empty() && Orientation == 0 && Artist.empty() &&
           Copyright.empty() && DateTimeOriginal.empty() && OffsetTimeOriginal.empty() &&
           FNumber == 0 && FocalLength == 0 && LensMake.empty() && LensModel.empty();
  }
};
