#pragma once
// Reading one camera raw file through LibRaw into three 16-bit planes of
// linear light: black level taken off, white level as full scale, the
// camera's white balance, full-resolution demosaicing, turned as the
// camera recorded, sRGB primaries. Like TTiffInput in two steps, so that
// a picture can be refused by its size before anything large is taken.
#include "PictureMeta.h"
#include "Plane16.h"

#include <atomic>
#include <memory>
#include <string>

class LibRaw;

// What a raw file that cannot be read ends the run with; LibRaw's word on
// it goes into the exception's cause.
std::string MsgRawUnreadable(const std::string& FileName);

namespace detail {
struct TLibRawFree {
  void operator()(LibRaw* Raw) const;
};
} // namespace detail

class TRawInput {
public:
  // Opens FileName and reads its metadata: the size after turning, the
  // camera fields and the profile of the planes. Refuses a file LibRaw
  // cannot read, and sizes that could not be held, before LibRaw decodes
  // or allocates for the picture.
  explicit TRawInput(const std::string& FileName);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  const TPictureMeta& Meta() const { return FMeta; }
  // Decodes the picture into the planes (kept when each already holds
  // Width x Height samples). Raises EAbort when Stop is set meanwhile.
  // After a failure the planes are empty.
  void Read(TPlane16& Red, TPlane16& Green, TPlane16& Blue, const std::atomic<bool>* Stop);

private:
  std::string FFileName;
  std::unique_ptr<LibRaw, detail::TLibRawFree> FRaw;
  int FWidth = 0;
  int FHeight = 0;
  TPictureMeta FMeta;
};
