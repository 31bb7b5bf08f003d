#pragma once
// The general allocator: arrays owned by std::unique_ptr, sizes checked in
// 64 bits. A block larger than one 32-bit signed byte count, or one the
// system cannot give, raises EOutOfMemory instead of wrapping or aborting.
#include "VekExceptions.h"

#include <cstdint>
#include <memory>
#include <new>

inline constexpr int64_t MaxBlockBytes = INT32_MAX;

// Elements of size ElementBytes times Count, or -1 when the product leaves
// the allowed block size.
inline int64_t CheckedBlockBytes(int64_t Count, int64_t ElementBytes) {
  if (Count < 0 || ElementBytes <= 0 || Count > MaxBlockBytes / ElementBytes)
    return -1;
  return Count * ElementBytes;
}

// Uninitialised array of Count elements; throws EOutOfMemory.
template <class T> std::unique_ptr<T[]> AllocArray(int64_t Count) {
  if (CheckedBlockBytes(Count, sizeof(T)) < 0)
    throw EOutOfMemory();
  T* Block = new (std::nothrow) T[static_cast<size_t>(Count)];
  if (!Block)
    throw EOutOfMemory();
  return std::unique_ptr<T[]>(Block);
}
