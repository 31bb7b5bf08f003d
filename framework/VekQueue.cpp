#include "VekQueue.h"

#include "VekExceptions.h"
#include "VekMemory.h"
#include "VekUtil.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t MaxQueueBytes = 2147483647;
constexpr int GrowElements = 32;

[[noreturn]] void RaiseEmpty() {
  throw EVekQueueError("Queue Empty");
}

int CheckedElementSize(int NewElementSize) {
  if (NewElementSize < 1)
    throw EVekQueueError("QueueElementSizeError in Create; NewElementSize = " +
                         std::to_string(NewElementSize));
  return NewElementSize;
}

} // namespace

TVekQueue::TVekQueue(int NewElementSize) : ElementSize(CheckedElementSize(NewElementSize)) {}

TVekQueue::~TVekQueue() {
  ClearForDestruction();
}

void TVekQueue::ClearForDestruction() {
  if (Destroying)
    return;
  Destroying = true;
  Clear();
}

uint32_t TVekQueue::ByteCount() const {
  if (Capacity == 0)
    return 0;
  return static_cast<uint32_t>((uint64_t{Capacity} + Tail - Head) % Capacity);
}

void TVekQueue::SetCapacity(uint32_t NewCapacity) {
  ChangeCapacity(NewCapacity);
}

void TVekQueue::Grow(uint32_t Needed) {
  ChangeCapacity(std::max(2 * uint64_t{Needed}, uint64_t{GrowElements} * ElementSize));
}

// Computed in 64 bits so that a request near the 32-bit limit is refused
// instead of wrapping round to a tiny ring.
void TVekQueue::ChangeCapacity(uint64_t Requested) {
  const uint64_t Size = static_cast<uint64_t>(ElementSize);
  const uint64_t N = (Requested + Size - 1) / Size * Size;
  const uint32_t Used = ByteCount();
  // A ring exactly as large as its contents would have no free element,
  // and Head = Tail would then claim it empty.
  if (N < Used || (Used != 0 && N == Used) || N > MaxQueueBytes)
    throw EVekQueueError("QueueCapacityError in SetCapacity; NewCapacity = " + std::to_string(N));
  if (N == Capacity)
    return;
  std::unique_ptr<uint8_t[]> NewBuffer;
  if (N != 0)
    NewBuffer = AllocArray<uint8_t>(static_cast<int64_t>(N));
  if (Used != 0) {
    if (Tail > Head) {
      std::memcpy(NewBuffer.get(), Buffer.get() + Head, Used);
    } else {
      const uint32_t Front = Capacity - Head;
      std::memcpy(NewBuffer.get(), Buffer.get() + Head, Front);
      std::memcpy(NewBuffer.get() + Front, Buffer.get(), Tail);
    }
  }
  Buffer = std::move(NewBuffer);
  Tail = Used;
  Head = 0;
  Capacity = static_cast<uint32_t>(N);
}

void TVekQueue::Push(const void* Item) {
  const uint32_t Used = ByteCount();
  if (uint64_t{Used} + ElementSize >= Capacity)
    Grow(Used + static_cast<uint32_t>(ElementSize));
  std::memcpy(Buffer.get() + Tail, Item, static_cast<size_t>(ElementSize));
  Tail = static_cast<uint32_t>((uint64_t{Tail} + ElementSize) % Capacity);
  DoPush();
}

void* TVekQueue::Peek() {
  if (ByteCount() < static_cast<uint32_t>(ElementSize))
    RaiseEmpty();
  return Buffer.get() + Head;
}

void TVekQueue::Pop(void* Item) {
  const void* Oldest = Peek();
  std::memcpy(Item, Oldest, static_cast<size_t>(ElementSize));
  Head = static_cast<uint32_t>((uint64_t{Head} + ElementSize) % Capacity);
  DoPop();
}

void TVekQueue::DoPop() {
  if (OnPop)
    OnPop(*this);
}

void TVekQueue::DoPush() {
  if (OnPush)
    OnPush(*this);
}

void TVekQueue::DoClear() {
  if (OnClear)
    OnClear(*this);
}

void TVekQueue::Clear() {
  Head = 0;
  Tail = 0;
  SetCapacity(0);
  DoClear();
}

void TVekQueue::Shrink() {
  const uint32_t Used = ByteCount();
  const uint64_t Least = uint64_t{GrowElements} * ElementSize;
  if (Used < Least) {
    ChangeCapacity(Least);
    return;
  }
  const int64_t Target = IPercent(Used, 110) + ElementSize;
  if (static_cast<int64_t>(Capacity) > Target)
    ChangeCapacity(static_cast<uint64_t>(Target));
}

// ---------------------------------------------------------------------------

namespace {

using TBlock = uint8_t*;
constexpr int LengthBytes = 4;

std::unique_ptr<uint8_t[]> MakeBlock(const std::string& S) {
  // The length field is signed 32-bit; AllocArray refuses anything larger.
  auto Block = AllocArray<uint8_t>(static_cast<int64_t>(S.size()) + LengthBytes + 1);
  const auto Length = static_cast<int32_t>(S.size());
  std::memcpy(Block.get(), &Length, LengthBytes);
  std::memcpy(Block.get() + LengthBytes, S.data(), S.size());
  Block[LengthBytes + S.size()] = 0;
  return Block;
}

std::string BlockText(const uint8_t* Block) {
  int32_t Length = 0;
  std::memcpy(&Length, Block, LengthBytes);
  return std::string(reinterpret_cast<const char*>(Block + LengthBytes),
                     static_cast<size_t>(Length));
}

} // namespace

TVekStringQueue::TVekStringQueue() : TVekQueue(sizeof(TBlock)) {}

TVekStringQueue::~TVekStringQueue() {
  ClearForDestruction();
}

uint8_t* TVekStringQueue::OldestBlock() {
  TBlock Block = nullptr;
  std::memcpy(&Block, TVekQueue::Peek(), sizeof Block);
  return Block;
}

void TVekStringQueue::Push(const std::string& S) {
  auto Block = MakeBlock(S);
  const TBlock Raw = Block.get();
  TVekQueue::Push(&Raw);
  Block.release();
}

void TVekStringQueue::Pop(std::string& S) {
  uint8_t* Block = OldestBlock();
  // The text is copied while the block is still queued, so that a failed
  // copy loses nothing; from here on the block is ours to release, also
  // when DoPop raises.
  S = BlockText(Block);
  const std::unique_ptr<uint8_t[]> Owner(Block);
  TBlock Popped = nullptr;
  TVekQueue::Pop(&Popped);
}

void TVekStringQueue::Peek(std::string& S) {
  S = BlockText(OldestBlock());
}

void TVekStringQueue::Clear() {
  while (!IsEmpty()) {
    std::unique_ptr<uint8_t[]> Owner(OldestBlock());
    Head = (Head + static_cast<uint32_t>(ElementSize)) % Capacity;
  }
  TVekQueue::Clear();
}

// ---------------------------------------------------------------------------

TVekThreadStringQueue::TVekThreadStringQueue() : Queue(std::make_unique<TVekStringQueue>()) {}

TVekThreadStringQueue::~TVekThreadStringQueue() {
  std::lock_guard Hold(Guard);
  Queue.reset();
}

TVekStringQueue& TVekThreadStringQueue::Lock() {
  Guard.lock();
  return *Queue;
}

TVekStringQueue* TVekThreadStringQueue::TryLock() {
  return Guard.try_lock() ? Queue.get() : nullptr;
}

void TVekThreadStringQueue::Unlock() {
  Guard.unlock();
}

bool TVekThreadStringQueue::IsEmpty() {
  std::lock_guard Hold(Guard);
  return Queue->IsEmpty();
}

int TVekThreadStringQueue::Count() {
  std::lock_guard Hold(Guard);
  return Queue->Count();
}

void TVekThreadStringQueue::Push(const std::string& S) {
  std::lock_guard Hold(Guard);
  Queue->Push(S);
}

void TVekThreadStringQueue::Pop(std::string& S) {
  std::lock_guard Hold(Guard);
  Queue->Pop(S);
}

void TVekThreadStringQueue::Peek(std::string& S) {
  std::lock_guard Hold(Guard);
  Queue->Peek(S);
}
