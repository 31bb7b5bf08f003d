#pragma once
// An open POSIX file descriptor, closed when the object goes (an flock
// held on it goes with it).
#include <unistd.h>

class TFileHandle {
public:
  explicit TFileHandle(int Fd) : FFd(Fd) {}
  ~TFileHandle() {
    if (FFd >= 0)
      ::close(FFd);
  }
  TFileHandle(TFileHandle&& Other) noexcept : FFd(Other.FFd) { Other.FFd = -1; }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  TFileHandle& operator=(TFileHandle&&) = delete;

  bool IsOpen() const { return FFd >= 0; }
  int Fd() const { return FFd; }
  // Closes now and tells whether that succeeded.
  bool Close() {
    const int Fd = FFd;
    FFd = -1;
    return ::close(Fd) == 0;
  }

private:
  int FFd;
};
