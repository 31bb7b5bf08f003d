#include "MetaMaker.h"

#include <algorithm>

namespace {

constexpr int App1 = 0xE1;
constexpr int App2 = 0xE2;
constexpr size_t IccPiece = 65519;

std::string Little(uint32_t Value, int Bytes) {
  std::string Out;
  for (int I = 0; I < Bytes; ++I)
    Out += static_cast<char>(Value >> (8 * I) & 0xFF);
  return Out;
}

size_t IfdBytes(const std::vector<TExifField>& Fields) {
  size_t Size = 2 + 12 * Fields.size() + 4;
  for (const TExifField& F : Fields)
    if (F.Bytes.size() > 4)
      Size += F.Bytes.size() + (F.Bytes.size() & 1);
  return Size;
}

// One directory starting at Start (from the TIFF header), values over 4
// bytes right after it.
std::string Ifd(std::vector<TExifField> Fields, uint32_t Start) {
  std::sort(Fields.begin(), Fields.end(),
            [](const TExifField& A, const TExifField& B) { return A.Tag < B.Tag; });
  std::string Out = Little(static_cast<uint32_t>(Fields.size()), 2);
  std::string Data;
  const size_t DataStart = Start + 2 + 12 * Fields.size() + 4;
  for (const TExifField& F : Fields) {
    Out += Little(F.Tag, 2) + Little(F.Type, 2) + Little(F.Count, 4);
    if (F.Bytes.size() <= 4) {
      Out += F.Bytes + std::string(4 - F.Bytes.size(), '\0');
    } else {
      Out += Little(static_cast<uint32_t>(DataStart + Data.size()), 4);
      Data += F.Bytes + std::string(F.Bytes.size() & 1, '\0');
    }
  }
  return Out + Little(0, 4) + Data;
}

TExifField Pointer(uint16_t Tag, size_t Offset) {
  return {Tag, 4, 1, Little(static_cast<uint32_t>(Offset), 4)};
}

} // namespace

std::vector<uint8_t> TestProfile(size_t Size, uint8_t Seed) {
  std::vector<uint8_t> Bytes(Size);
  for (size_t I = 0; I < Size; ++I)
    Bytes[I] = static_cast<uint8_t>(I * 7 + I / 251 + Seed);
  return Bytes;
}

std::vector<std::pair<int, std::string>> IccSegments(const std::vector<uint8_t>& Profile) {
  const size_t Count = (Profile.size() + IccPiece - 1) / IccPiece;
  std::vector<std::pair<int, std::string>> Segments;
  for (size_t I = 0; I < Count; ++I) {
    std::string Content("ICC_PROFILE\0", 12);
    Content += static_cast<char>(I + 1);
    Content += static_cast<char>(Count);
    const size_t First = I * IccPiece;
    const size_t Last = std::min(Profile.size(), First + IccPiece);
    Content.append(Profile.begin() + static_cast<std::ptrdiff_t>(First),
                   Profile.begin() + static_cast<std::ptrdiff_t>(Last));
    Segments.emplace_back(App2, Content);
  }
  return Segments;
}

std::string WithSegments(const std::string& Jpeg,
                         const std::vector<std::pair<int, std::string>>& Segments) {
  // Start of image, then the JFIF segment: marker and a big-endian length.
  const size_t JfifEnd = 4 + (static_cast<size_t>(static_cast<uint8_t>(Jpeg.at(4))) << 8 |
                              static_cast<uint8_t>(Jpeg.at(5)));
  std::string Inserted;
  for (const auto& [Code, Content] : Segments) {
    const size_t Length = Content.size() + 2;
    Inserted += std::string{'\xFF', static_cast<char>(Code), static_cast<char>(Length >> 8),
                            static_cast<char>(Length & 0xFF)} +
                Content;
  }
  return Jpeg.substr(0, JfifEnd) + Inserted + Jpeg.substr(JfifEnd);
}

TExifField TExifField::Text(uint16_t Tag, const std::string& Value) {
  return {Tag, 2, static_cast<uint32_t>(Value.size() + 1), Value + std::string(1, '\0')};
}

TExifField TExifField::Short(uint16_t Tag, uint16_t Value) {
  return {Tag, 3, 1, Little(Value, 2)};
}

TExifField TExifField::Rational(uint16_t Tag, int32_t Numerator, int32_t Denominator, bool Signed) {
  return {Tag, static_cast<uint16_t>(Signed ? 10 : 5), 1,
          Little(static_cast<uint32_t>(Numerator), 4) +
              Little(static_cast<uint32_t>(Denominator), 4)};
}

TExifField TExifField::Undefined(uint16_t Tag, const std::string& Value) {
  return {Tag, 7, static_cast<uint32_t>(Value.size()), Value};
}

std::pair<int, std::string> ExifSegment(const std::vector<TExifField>& Ifd0,
                                        const std::vector<TExifField>& Exif,
                                        const std::vector<TExifField>& Gps) {
  std::vector<TExifField> First = Ifd0;
  // The pointers are inline LONGs: their values do not change the size.
  First.push_back(Pointer(0x8769, 0));
  if (!Gps.empty())
    First.push_back(Pointer(0x8825, 0));
  const size_t ExifAt = 8 + IfdBytes(First);
  const size_t GpsAt = ExifAt + IfdBytes(Exif);
  First[Ifd0.size()] = Pointer(0x8769, ExifAt);
  if (!Gps.empty())
    First[Ifd0.size() + 1] = Pointer(0x8825, GpsAt);
  std::string Tiff = "II*" + std::string(1, '\0') + Little(8, 4);
  Tiff += Ifd(First, 8) + Ifd(Exif, static_cast<uint32_t>(ExifAt));
  if (!Gps.empty())
    Tiff += Ifd(Gps, static_cast<uint32_t>(GpsAt));
  return {App1, std::string("Exif\0\0", 6) + Tiff};
}
