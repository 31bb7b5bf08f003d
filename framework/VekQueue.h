#pragma once
// First-in first-out containers: a ring buffer of fixed-size elements, a
// queue of texts that owns a copy of each text, and that text queue behind
// a lock, through which any thread hands lines to the log server.
#include "VekUncopyable.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class TVekQueue {
public:
  using TNotifyEvent = std::function<void(TVekQueue& Sender)>;

  // Raises EVekQueueError for an element size below 1.
  explicit TVekQueue(int NewElementSize);
  virtual ~TVekQueue();
  TVekQueue(const TVekQueue&) = delete;
  TVekQueue& operator=(const TVekQueue&) = delete;

  // Appends the ElementSize bytes at Item.
  void Push(const void* Item);
  // Moves the oldest element's bytes to Item; raises "Queue Empty".
  void Pop(void* Item);
  // The oldest element inside the ring, valid until the queue changes;
  // raises "Queue Empty".
  void* Peek();

  bool IsEmpty() const { return Head == Tail; }
  uint32_t ByteCount() const;
  int Count() const { return static_cast<int>(ByteCount() / static_cast<uint32_t>(ElementSize)); }

  // NewCapacity in bytes, rounded up to whole elements. Raises
  // EVekQueueError when the rounded size would not leave one element free
  // above the bytes in use, or exceeds 2147483647.
  void SetCapacity(uint32_t NewCapacity);
  // Room for at least Needed bytes: doubles, 32 elements at the least.
  void Grow(uint32_t Needed);

  virtual void DoPop();
  virtual void DoPush();
  virtual void DoClear();
  // Empties the queue and releases the ring.
  virtual void Clear();
  // Fits the ring to the bytes in use plus a tenth, 32 elements at the least.
  virtual void Shrink();

  uint32_t GetCapacity() const { return Capacity; }
  int GetElementSize() const { return ElementSize; }
  uint32_t GetHead() const { return Head; }
  uint32_t GetTail() const { return Tail; }

  TNotifyEvent OnClear;
  TNotifyEvent OnPop;
  TNotifyEvent OnPush;

protected:
  // Every class that overrides Clear calls this from its own destructor, so
  // that its Clear runs once while the object is still of its class.
  void ClearForDestruction();

  std::unique_ptr<uint8_t[]> Buffer;
  uint32_t Head = 0;
  uint32_t Tail = 0;
  uint32_t Capacity = 0;
  const int ElementSize;

private:
  void ChangeCapacity(uint64_t Requested);
  bool Destroying = false;
};

// A queue of texts. Each element is one owned block: the length as 32-bit
// signed, the bytes, a zero byte.
class TVekStringQueue : public TVekQueue {
public:
  TVekStringQueue();
  ~TVekStringQueue() override;

  void Push(const std::string& S);
  // Raise "Queue Empty" on an empty queue.
  void Pop(std::string& S);
  void Peek(std::string& S);

  // Releases every queued text; DoClear is raised once, DoPop never.
  void Clear() override;

private:
  uint8_t* OldestBlock();
};

// A text queue whose every operation holds Guard. The thread holding it may
// enter it again, so a caller may bracket several operations with
// Lock/Unlock.
class TVekThreadStringQueue : TVekUncopyable {
public:
  TVekThreadStringQueue();
  ~TVekThreadStringQueue();

  bool IsEmpty();
  int Count();
  void Push(const std::string& S);
  void Pop(std::string& S);
  void Peek(std::string& S);

  // Enters Guard and hands out the inner queue; every Lock needs an Unlock.
  TVekStringQueue& Lock();
  // Lock without waiting: the inner queue, or nullptr while another thread
  // holds Guard.
  TVekStringQueue* TryLock();
  void Unlock();

private:
  std::recursive_mutex Guard;
  std::unique_ptr<TVekStringQueue> Queue;
};
