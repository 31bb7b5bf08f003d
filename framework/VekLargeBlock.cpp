#include "VekLargeBlock.h"

#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Under AddressSanitizer the blocks come from the ordinary heap, so that
// reads and writes past their end are still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool FromHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool FromHeap = true;
#else
constexpr bool FromHeap = false;
#endif
#else
constexpr bool FromHeap = false;
#endif

size_t PageRounded(size_t Bytes) {
  const size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (Bytes + Page - 1) / Page * Page;
}

void* Mapped(size_t Bytes) {
  void* Block = mmap(nullptr, Bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return Block == MAP_FAILED ? nullptr : Block;
}

} // namespace

void* detail::AllocLargeBlock(size_t Bytes) {
  // An empty block still gets an address of its own.
  const size_t Length = Bytes == 0 ? 1 : Bytes;
  if (FromHeap) {
    void* Block = ::operator new[](Length, std::nothrow);
    if (Block)
      std::memset(Block, 0, Length);
    return Block;
  }
  return Mapped(PageRounded(Length));
}

void detail::FreeLargeBlock(void* Block, size_t Bytes) {
  if (!Block)
    return;
  if (FromHeap)
    ::operator delete[](Block);
  else
    munmap(Block, PageRounded(Bytes == 0 ? 1 : Bytes));
}
