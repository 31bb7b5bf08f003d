// Camera raw reading on arbitrary bytes. A file LibRaw cannot take ends in
// the reader's one message with LibRaw's cause, or as out of memory; a
// picture read whole fills planes of the size its header gave.
#include "FuzzSupport.h"
#include "RawInput.h"
#include "VekExceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string FileName = detail::WriteFuzzFile("input.dng", Data, Size);
  TPlane16 Red, Green, Blue;
  try {
    TRawInput Raw(FileName);
    // Large pictures cost memory and time, not coverage.
    if (uint64_t(Raw.Width()) * uint64_t(Raw.Height()) > detail::MaxFuzzPixels)
      return -1;
    Raw.Read(Red, Green, Blue, nullptr);
    detail::Require(Red && Green && Blue, "successful read without planes");
    const size_t Last = size_t(Raw.Width()) * size_t(Raw.Height()) - 1;
    volatile uint16_t Sum = static_cast<uint16_t>(Red[Last] + Green[Last] + Blue[Last]);
    (void)Sum;
  } catch (const EOutOfMemory&) {
    detail::Require(!Red && !Green && !Blue, "planes left behind after a failed read");
  } catch (const Exception& Failure) {
    detail::Require(Failure.Message() == MsgRawUnreadable(FileName),
                    "failure with a foreign message");
    detail::Require(!Failure.Cause().empty(), "failure without LibRaw's cause");
    detail::Require(!Red && !Green && !Blue, "planes left behind after a failed read");
  }
  return 0;
}
