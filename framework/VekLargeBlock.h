#pragma once
// Blocks for the big planes of a run (sums, bitmaps, channel planes). They
// come straight from the system, zero-filled, and go back to it whole when
// freed, so a run's memory does not grow with the number of files and the
// sums need no clearing pass. Their pages are made present in one call
// when the block is taken: faulted in one by one by their first use, a
// plane first read and then written (as an addition does) faults twice per
// page and took twice as long. They are not marked for transparent huge
// pages: on virtual machines that hand free memory back to the host, huge
// pages come from blocks the host has taken back, and a run touching them
// took twice as long (bench/README.md).
// Sizes are checked as by AllocArray; a refused or failed block raises
// EOutOfMemory.
#include "VekMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace detail {

// Bytes zero-filled bytes; nullptr when the system refuses.
void* AllocLargeBlock(size_t Bytes);
void FreeLargeBlock(void* Block, size_t Bytes);

} // namespace detail

// Frees a block of AllocLargeArray; it carries the block's size.
template <class T> struct TLargeBlockFree {
  size_t Bytes = 0;
  void operator()(T* Block) const { detail::FreeLargeBlock(Block, Bytes); }
};

template <class T> using TLargeArray = std::unique_ptr<T[], TLargeBlockFree<T>>;

// Count zero-filled elements of a plain type; throws EOutOfMemory.
template <class T> TLargeArray<T> AllocLargeArray(int64_t Count) {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>);
  const int64_t Bytes = CheckedBlockBytes(Count, sizeof(T));
  if (Bytes < 0)
    throw EOutOfMemory();
  void* Block = detail::AllocLargeBlock(static_cast<size_t>(Bytes));
  if (!Block)
    throw EOutOfMemory();
  return TLargeArray<T>(static_cast<T*>(Block), TLargeBlockFree<T>{static_cast<size_t>(Bytes)});
}

// Elements a block of AllocLargeArray holds (0 for an empty pointer).
template <class T> int64_t LargeArrayCount(const TLargeArray<T>& Array) {
  return Array ? static_cast<int64_t>(Array.get_deleter().Bytes / sizeof(T)) : 0;
}
