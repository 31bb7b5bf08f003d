// TIFF reading on arbitrary bytes, what travels with the picture included.
// The reader raises every failure as an Exception with one of its fixed
// messages, so any other exception is a fault and crashes here too.
#include "AsSaveTiff16Unit.h"
#include "FuzzSupport.h"
#include "VekExceptions.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

bool KnownMessage(const std::string& Message, const std::string& FileName) {
  static const std::array<std::string, 7> Fixed = {"Missing ImageWidth tag, unable to read image",
                                                   "Missing ImageHeight tag, unable to read image",
                                                   "Missing RowsPerStrip tag, unable to read image",
                                                   "Missing TileWidth tag, unable to read image",
                                                   "Missing TileLength tag, unable to read image",
                                                   "Out of memory",
                                                   "Unexpected error"};
  for (const std::string& Text : Fixed)
    if (Message == Text)
      return true;
  return Message == "Unable to open input TIFF file '" + FileName + "'";
}

// Parts one after the other.
void InTurn(int Parts, const std::function<void(int Part)>& Part) {
  for (int P = 0; P < Parts; ++P)
    Part(P);
}

// Samples read as stored, red, green and blue interleaved, must be those
// of the planes.
void RequireSamples(const uint16_t* Rgb, size_t Count, const TPlane16& Red, const TPlane16& Green,
                    const TPlane16& Blue) {
  for (size_t I = 0; I < Count; ++I)
    detail::Require(Rgb[3 * I] == Red[I] && Rgb[3 * I + 1] == Green[I] && Rgb[3 * I + 2] == Blue[I],
                    "read as stored gives other samples");
}

// A file that can be read as stored, interleaved, or streamed must then
// fail with the planes' message (Failure) or give their samples; a
// streamed file fails in its check or not at all.
void CheckStoredRead(const std::string& FileName, const std::string& Failure, const TPlane16& Red,
                     const TPlane16& Green, const TPlane16& Blue) {
  TTiffInput Input(FileName);
  if (!Input.StoredInterleaved())
    return;
  const size_t Count = size_t{Input.Width()} * Input.Height();
  TPlane16 Rgb;
  try {
    Input.ReadAsStored(Rgb);
    detail::Require(Failure.empty(), "read as stored succeeds where the planes fail");
    RequireSamples(Rgb.get(), Count, Red, Green, Blue);
  } catch (const Exception& Stored) {
    detail::Require(!Rgb && Stored.Message() == Failure, "read as stored fails otherwise");
  }
  TTiffInput Again(FileName);
  if (!Again.Streamable())
    return;
  try {
    Again.CheckStrips();
  } catch (const Exception& Checked) {
    detail::Require(Checked.Message() == Failure, "the check of the strips fails otherwise");
    return;
  }
  detail::Require(Failure.empty(), "the check of the strips passes where the planes fail");
  std::vector<uint16_t> Streamed(3 * Count);
  Again.ReadStrips(2, InTurn, [&](int, uint32_t Y0, uint32_t Rows, const uint16_t* Samples) {
    std::copy_n(Samples, size_t{Rows} * Input.Width() * 3,
                Streamed.begin() + static_cast<std::ptrdiff_t>(size_t{Y0} * Input.Width() * 3));
  });
  RequireSamples(Streamed.data(), Count, Red, Green, Blue);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceTiffLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string FileName = detail::WriteFuzzFile("input.tif", Data, Size);
  if (!detail::TiffFitsBudget(FileName))
    return -1;
  uint32_t Width = 0;
  uint32_t Height = 0;
  TPlane16 Red, Green, Blue;
  try {
    TTiffInput Input(FileName);
    Width = Input.Width();
    Height = Input.Height();
    // The profile must be readable to its last byte.
    volatile size_t Bytes = 0;
    for (const uint8_t Byte : Input.Meta().IccProfile)
      Bytes = Bytes + Byte;
    Input.Read(Red, Green, Blue);
  } catch (const Exception& Failure) {
    detail::Require(!Red && !Green && !Blue, "planes left behind after a failed read");
    detail::Require(KnownMessage(Failure.Message(), FileName), "failure with a foreign message");
    // Opened, the file failed in its samples.
    if (Width > 0)
      CheckStoredRead(FileName, Failure.Message(), Red, Green, Blue);
    return 0;
  }
  detail::Require(Red && Green && Blue, "successful read without planes");
  CheckStoredRead(FileName, {}, Red, Green, Blue);
  if (Width > 0 && Height > 0) {
    // Every plane must hold Width x Height samples.
    const size_t Last = size_t{Width} * Height - 1;
    volatile uint16_t Sum = static_cast<uint16_t>(Red[Last] + Green[Last] + Blue[Last]);
    (void)Sum;
  }
  return 0;
}
