#pragma once
// Pieces shared by the tiled and the strip writer: the new file with its
// picture fields, a failed write with the system's cause, and the end of
// a file. All raise a TTiffFailure with the writer's fixed messages.
#include "TiffDetail.h"

#include <cerrno>
#include <functional>

namespace detail {

// How the samples are stored: 16-bit unsigned integers, or 32-bit IEEE
// floats carrying SampleFormat and, when compressed, the floating-point
// predictor.
enum class TSampleKind : uint8_t { Uint16, Float32 };

// Sets the size, layout (SetLayout), colour, sample and compression
// fields of a Result.Width x Result.Height RGB picture: all that decides
// how a piece is compressed.
void SetPictureFields(TIFF* Tif, const TTiffResult& Result, TSampleKind Kind,
                      const std::function<void(TIFF*)>& SetLayout);

// Opens Fd for a Result.Width x Result.Height RGB picture. SetLayout sets
// the tile or strip fields, which follow the size; the colour, sample and
// compression fields come after them, then what travels with the picture.
// Fails with the create message naming FileName, or "Unexpected error"
// for a picture without pixels, which would give a file no reader accepts.
TTiffHandle CreateTiffResult(int Fd, const std::string& FileName, const TTiffResult& Result,
                             TSampleKind Kind, const std::function<void(TIFF*)>& SetLayout);

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
void FinishTiff(TIFF* Tif);

} // namespace detail
