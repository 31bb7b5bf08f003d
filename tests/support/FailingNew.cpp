#include "FailingNew.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int> Remaining{0};
std::atomic<int> FailedCount{0};
// Set on the thread that armed the failures: its allocations go through.
thread_local bool Exempt = false;

bool FailThis() {
  if (Exempt)
    return false;
  for (int Left = Remaining.load(); Left > 0;)
    if (Remaining.compare_exchange_weak(Left, Left - 1)) {
      ++FailedCount;
      return true;
    }
  return false;
}

constexpr std::size_t Plain = alignof(std::max_align_t);

void* Take(std::size_t Size, std::size_t Alignment) noexcept {
  // malloc(0) may give null; new must give a distinct pointer.
  Size = Size ? Size : 1;
  if (Alignment <= Plain)
    return std::malloc(Size);
  // aligned_alloc wants a multiple of the alignment.
  return std::aligned_alloc(Alignment, (Size + Alignment - 1) / Alignment * Alignment);
}

// As the standard's operator new: a real shortage calls the new handler
// until memory comes or there is none.
void* AllocateOrThrow(std::size_t Size, std::size_t Alignment) {
  if (FailThis())
    throw std::bad_alloc();
  for (;;) {
    if (void* Block = Take(Size, Alignment))
      return Block;
    const std::new_handler Handler = std::get_new_handler();
    if (!Handler)
      throw std::bad_alloc();
    Handler();
  }
}

void* Allocate(std::size_t Size, std::size_t Alignment) noexcept {
  try {
    return AllocateOrThrow(Size, Alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

} // namespace

TFailingNew::TFailingNew(int Count) {
  FailedCount = 0;
  Exempt = true;
  Remaining = Count;
}

TFailingNew::~TFailingNew() {
  Remaining = 0;
  Exempt = false;
}

int TFailingNew::Failed() const {
  return FailedCount;
}

void* operator new(std::size_t Size) {
  return AllocateOrThrow(Size, Plain);
}
void* operator new[](std::size_t Size) {
  return AllocateOrThrow(Size, Plain);
}
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
  return Allocate(Size, Plain);
}
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept {
  return Allocate(Size, Plain);
}
void* operator new(std::size_t Size, std::align_val_t Alignment) {
  return AllocateOrThrow(Size, static_cast<std::size_t>(Alignment));
}
void* operator new[](std::size_t Size, std::align_val_t Alignment) {
  return AllocateOrThrow(Size, static_cast<std::size_t>(Alignment));
}
void* operator new(std::size_t Size, std::align_val_t Alignment, const std::nothrow_t&) noexcept {
  return Allocate(Size, static_cast<std::size_t>(Alignment));
}
void* operator new[](std::size_t Size, std::align_val_t Alignment, const std::nothrow_t&) noexcept {
  return Allocate(Size, static_cast<std::size_t>(Alignment));
}

void operator delete(void* Block) noexcept {
  std::free(Block);
}
void operator delete[](void* Block) noexcept {
  std::free(Block);
}
void operator delete(void* Block, std::size_t) noexcept {
  std::free(Block);
}
void operator delete[](void* Block, std::size_t) noexcept {
  std::free(Block);
}
void operator delete(void* Block, const std::nothrow_t&) noexcept {
  std::free(Block);
}
void operator delete[](void* Block, const std::nothrow_t&) noexcept {
  std::free(Block);
}
void operator delete(void* Block, std::align_val_t) noexcept {
  std::free(Block);
}
void operator delete[](void* Block, std::align_val_t) noexcept {
  std::free(Block);
}
void operator delete(void* Block, std::size_t, std::align_val_t) noexcept {
  std::free(Block);
}
void operator delete[](void* Block, std::size_t, std::align_val_t) noexcept {
  std::free(Block);
}
void operator delete(void* Block, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(Block);
}
void operator delete[](void* Block, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(Block);
}
