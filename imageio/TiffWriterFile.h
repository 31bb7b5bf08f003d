#pragma once
// Pieces shared by the tiled and the strip writer: the new file with its
// picture fields, a failed write with the system's cause, and the end of
// a file. All raise a TTiffFailure with the writer's fixed messages.
#include "TiffDetail.h"

#include <cerrno>
#include <functional>

namespace detail {

// Creates FileName for a Width x Height RGB picture of 16-bit samples.
// SetLayout sets the tile or strip fields, which follow the size; the
// colour, sample and compression fields come after them. Fails with the
// create message, or "Unexpected error" for a picture without pixels,
// which would give a file no reader accepts.
TTiffHandle CreateTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                         uint32_t Height, const std::function<void(TIFF*)>& SetLayout);

// Fails with "Unexpected error" and the system's cause, if the failed
// call left one in errno.
[[noreturn]] void FailWrite();

// Runs one library write (a tile or a strip); -1 fails as FailWrite.
// errno is cleared first so that a cause is this call's own.
template <class F> void WriteOrFail(F&& Write) {
  errno = 0;
  if (Write() == -1)
    FailWrite();
}

// Writes the directory. Done here rather than silently by the close, so
// that a file that could not be finished is not reported as written.
void FinishTiff16(TIFF* Tif);

} // namespace detail
