#pragma once
// Pieces shared by the TIFF reader's and writer's files. A TIFF is
// untrusted input: every size it declares is checked in 64 bits before
// memory is taken or an index is formed from it.
#include "AsSaveTiff16Unit.h"
#include "ImageMessages.h"
#include "VekExceptions.h"

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

// The widening of 8-bit channel values: entry i is i * 257, so 255 becomes
// 65535. Built on first use, kept for the program's life.
const std::array<uint16_t, 256>& Byte16Table();

namespace detail {

using TTiffHandle = std::unique_ptr<TIFF, TTiffCloser>;

// A failure inside the reader or the writer, carrying one of their fixed
// messages and, where the system gave one, its cause (an errno text).
struct TTiffFailure {
  std::string Message;
  std::string Cause;
};

[[noreturn]] void FailTiff(const std::string& Message, const std::string& Cause = {});

// A * B * C, or -1 when the product leaves int64_t.
int64_t CheckedProduct(uint64_t A, uint64_t B, uint64_t C = 1);

// Runs Body; a TTiffFailure or a failed allocation raises an Exception of
// the general class with the fixed message and the cause. For the entry
// points that raise.
template <class F> void RaiseTiffFailure(F&& Body) {
  try {
    Body();
  } catch (const TTiffFailure& E) {
    throw Exception(E.Message, E.Cause);
  } catch (const EOutOfMemory&) {
    throw Exception(MsgOutOfMemory);
  } catch (const std::bad_alloc&) {
    throw Exception(MsgOutOfMemory);
  }
}

} // namespace detail
