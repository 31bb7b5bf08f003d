#pragma once
// Allocations that fail on demand, to reach the paths that handle
// std::bad_alloc. Linking this unit replaces the global operator new and
// delete of the whole program (malloc and free underneath).

// While it lives, the next Count allocations made on threads other than
// the one that made it raise std::bad_alloc, or give null in their
// nothrow forms. One at a time.
class TFailingNew {
public:
  explicit TFailingNew(int Count);
  ~TFailingNew();
  TFailingNew(const TFailingNew&) = delete;
  TFailingNew& operator=(const TFailingNew&) = delete;

  // Allocations failed so far.
  int Failed() const;
};
