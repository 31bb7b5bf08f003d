#pragma once
// What travels beside a test picture's pixels: an ICC profile cut into JPEG
// APP2 segments, and an EXIF block built byte by byte (little-endian) for a
// JPEG's APP1 segment.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Profile bytes of any size, each differing from its neighbours, so that a
// lost, doubled or swapped segment shows.
std::vector<uint8_t> TestProfile(size_t Size, uint8_t Seed);

// The APP2 segments of Profile: "ICC_PROFILE\0", number from 1, count, and
// up to 65519 bytes of the profile each.
std::vector<std::pair<int, std::string>> IccSegments(const std::vector<uint8_t>& Profile);

// Jpeg, an encoded file beginning with its JFIF segment, with Segments
// (marker code JPEG_APP0 + n, content) put in right after that one.
std::string WithSegments(const std::string& Jpeg,
                         const std::vector<std::pair<int, std::string>>& Segments);

// One field of an EXIF directory: TIFF type (2 ASCII, 3 SHORT, 5 RATIONAL,
// 7 UNDEFINED, 10 SRATIONAL), count and the value's bytes.
struct TExifField {
  uint16_t Tag;
  uint16_t Type;
  uint32_t Count;
  std::string Bytes;

  static TExifField Text(uint16_t Tag, const std::string& Value);
  static TExifField Short(uint16_t Tag, uint16_t Value);
  static TExifField Rational(uint16_t Tag, int32_t Numerator, int32_t Denominator,
                             bool Signed = false);
  static TExifField Undefined(uint16_t Tag, const std::string& Value);
};

// The APP1 segment: "Exif\0\0", then a TIFF structure of IFD0 linking the
// EXIF and, when not empty, the GPS directory.
std::pair<int, std::string> ExifSegment(const std::vector<TExifField>& Ifd0,
                                        const std::vector<TExifField>& Exif,
                                        const std::vector<TExifField>& Gps);
