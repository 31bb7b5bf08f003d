// TIFF reading on arbitrary bytes. The reader reports every failure
// through its out flag with one of its fixed messages, so an exception
// leaving InternalLoadTiff16 is a fault and crashes here too.
#include "AsSaveTiff16Unit.h"
#include "FuzzSupport.h"

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
  uint32_t Width = 0;
  uint32_t Height = 0;
  TPlane16 Red, Green, Blue;
  bool Failed = false;
  std::string Message;
  InternalLoadTiff16(FileName, Width, Height, Red, Green, Blue, Failed, Message);
  if (Failed) {
    detail::Require(!Red && !Green && !Blue, "planes left behind after a failed read");
    detail::Require(KnownMessage(Message, FileName), "failure with a foreign message");
    return 0;
  }
  detail::Require(Red && Green && Blue, "successful read without planes");
  if (Width > 0 && Height > 0) {
    // Every plane must hold Width x Height samples.
    const size_t Last = size_t{Width} * Height - 1;
    volatile uint16_t Sum = static_cast<uint16_t>(Red[Last] + Green[Last] + Blue[Last]);
    (void)Sum;
  }
  return 0;
}
