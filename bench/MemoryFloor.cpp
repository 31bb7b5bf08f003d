// The least any run of a picture of Pixels pixels pays beside decoding:
// 12 bytes per pixel of fresh memory written once (the sums), and a file
// of 6 bytes per pixel (the 16-bit result) written and synced.
//
//     MemoryFloor <pixels> <output file>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

int main(int Argc, char** Argv) {
  if (Argc != 3) {
    std::fprintf(stderr, "usage: MemoryFloor <pixels> <output file>\n");
    return 2;
  }
  const size_t Pixels = std::strtoull(Argv[1], nullptr, 10);
  const size_t Bytes = 12 * Pixels;
  const std::unique_ptr<unsigned char[]> Sums(new unsigned char[Bytes]);
  std::memset(Sums.get(), 1, Bytes);
  const int Fd = ::open(Argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (Fd < 0) {
    std::perror(Argv[2]);
    return 1;
  }
  // The result is written from the sums in pieces, as a writer would.
  const size_t Piece = size_t{1} << 20;
  for (size_t Done = 0; Done < 6 * Pixels;) {
    const ssize_t Written = ::write(Fd, Sums.get() + Done, std::min(Piece, 6 * Pixels - Done));
    if (Written <= 0) {
      std::perror(Argv[2]);
      return 1;
    }
    Done += static_cast<size_t>(Written);
  }
  if (::fsync(Fd) != 0 || ::close(Fd) != 0) {
    std::perror(Argv[2]);
    return 1;
  }
  return 0;
}
