// TIFF reading on arbitrary bytes, what travels with the picture included.
// The reader raises every failure as an Exception with one of its fixed
// messages, so any other exception is a fault and crashes here too.
#include "AsSaveTiff16Unit.h"
#include "FuzzSupport.h"
#include "TiffMaker.h"
#include "VekExceptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

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

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceTiffLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string FileName = detail::WriteFuzzFile("input.tif", Data, Size);
  if (!detail::TiffFitsBudget(FileName))
    return -1;
  // The profile must be readable to its last byte.
  try {
    TTiffInput Input(FileName);
    volatile size_t Bytes = 0;
    for (const uint8_t Byte : Input.Meta().IccProfile)
      Bytes = Bytes + Byte;
  } catch (const Exception&) {
    // The load below meets the same failure.
  }
  // Read into planes, and as stored and streamed where the file allows
  // it: every way must give the same samples or the same failure.
  const TTiffLoad L = LoadTiffForTest(FileName);
  if (L.Failed) {
    detail::Require(KnownMessage(L.Message, FileName),
                    "failure with a foreign message, or ways of reading that disagree");
    detail::Require(L.PlanesEmpty(), "planes left behind after a failed read");
    return 0;
  }
  detail::Require(L.Red && L.Green && L.Blue, "successful read without planes");
  if (L.Width > 0 && L.Height > 0) {
    // Every plane must hold Width x Height samples.
    const size_t Last = size_t{L.Width} * L.Height - 1;
    volatile uint16_t Sum = static_cast<uint16_t>(L.Red[Last] + L.Green[Last] + L.Blue[Last]);
    (void)Sum;
  }
  return 0;
}
