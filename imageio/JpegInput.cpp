#include "JpegInput.h"

#include "ImageMessages.h"
#include "JpegDecoder.h"
#include "VekExceptions.h"
#include "VekFileHandle.h"
#include "VekMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The bytes of the last loaded file and the decompressor that has read its
// header. The block is kept between files and only grows, so a run of
// equal exposures reads into the same memory.
struct TJpegImage::TState {
  std::unique_ptr<uint8_t[]> Bytes;
  int64_t Capacity = 0;
  int64_t Size = 0;
  int Width = 0;
  int Height = 0;
  TPictureMeta Meta;
  std::unique_ptr<detail::TJpegDecoder> Decoder;
};

TJpegImage::TJpegImage() : FState(std::make_unique<TState>()) {}
TJpegImage::~TJpegImage() = default;

int TJpegImage::Width() const {
  return FState->Width;
}

int TJpegImage::Height() const {
  return FState->Height;
}

const TPictureMeta& TJpegImage::Meta() const {
  return FState->Meta;
}

namespace {

[[noreturn]] void RaiseOpenError(const std::string& FileName, int Error) {
  throw EFOpenError(MsgCannotOpenFile(FileName, std::strerror(Error)));
}

void Reserve(TJpegImage::TState& State, int64_t Needed) {
  if (Needed <= State.Capacity)
    return;
  auto Grown = AllocArray<uint8_t>(Needed);
  if (State.Size > 0)
    std::memcpy(Grown.get(), State.Bytes.get(), static_cast<size_t>(State.Size));
  State.Bytes = std::move(Grown);
  State.Capacity = Needed;
}

// Reads the whole file into State. The size from fstat is only a hint: a
// file that grows meanwhile is still read to its end.
void ReadWholeFile(const std::string& FileName, TJpegImage::TState& State) {
  TFileHandle File(open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (File.Fd() < 0)
    RaiseOpenError(FileName, errno);
  struct stat Info {};
  if (fstat(File.Fd(), &Info) != 0)
    RaiseOpenError(FileName, errno);
  if (S_ISDIR(Info.st_mode))
    RaiseOpenError(FileName, EISDIR);
  State.Size = 0;
  Reserve(State, std::max<int64_t>(Info.st_size, 0) + 1);
  for (;;) {
    if (State.Size == State.Capacity)
      Reserve(State, std::min<int64_t>(State.Capacity * 2, MaxBlockBytes));
    if (State.Size == State.Capacity)
      throw EOutOfMemory();
    const ssize_t Got = read(File.Fd(), State.Bytes.get() + State.Size,
                             static_cast<size_t>(State.Capacity - State.Size));
    if (Got == 0)
      break;
    if (Got < 0) {
      if (errno == EINTR)
        continue;
      throw EInOutError(MsgReadError(FileName, std::strerror(errno)));
    }
    State.Size += Got;
  }
}

} // namespace

void LoadJpegHeader(TJpegImage& Image, const std::string& FileName) {
  TJpegImage::TState& State = *Image.FState;
  State.Decoder.reset();
  State.Width = State.Height = 0;
  State.Meta = {};
  State.Size = 0;
  ReadWholeFile(FileName, State);
  auto Decoder = std::make_unique<detail::TJpegDecoder>();
  Decoder->ReadHeader(State.Bytes.get(), State.Size);
  State.Width = Decoder->Width();
  State.Height = Decoder->Height();
  State.Meta = Decoder->Meta();
  State.Decoder = std::move(Decoder);
}

void DecodeJpegBgr(TJpegImage& Image, TBitmap24& Bitmap, const std::atomic<bool>* Stop) {
  // The decompressor is destroyed when the decoding ends, also by a failure.
  const std::unique_ptr<detail::TJpegDecoder> Decoder = std::move(Image.FState->Decoder);
  if (!Decoder)
    throw Exception(MsgJpegNotLoaded);
  Decoder->Decode(Bitmap, Stop);
}

void LoadJpegBgr(TJpegImage& Image, const std::string& FileName, TBitmap24& Bitmap) {
  LoadJpegHeader(Image, FileName);
  DecodeJpegBgr(Image, Bitmap);
}
