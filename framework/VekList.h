#pragma once
// A growable array of untyped object references with overridable
// notifications. The list never frees what its slots refer to.
#include <functional>
#include <memory>
#include <vector>

class TVekCustomList {
public:
  using TItemEvent = std::function<void(TVekCustomList& Sender, int Index, void* Item)>;
  using TItemsEvent = std::function<void(TVekCustomList& Sender, int A, int B, int C, int D)>;

  static constexpr int MaxListSize = 134217727;

  TVekCustomList() = default;
  // Announces every remaining item through DoDelete. A class that overrides
  // Clear or DoDelete calls ClearForDestruction from its own destructor, so
  // that its overrides are reached.
  virtual ~TVekCustomList();
  TVekCustomList(const TVekCustomList&) = delete;
  TVekCustomList& operator=(const TVekCustomList&) = delete;

  // Index of the new slot.
  int Add(void* Item);
  // Closes the gap, or while locked empties the slot and keeps the indices.
  void Delete(int Index);
  // First index holding Item, or -1.
  int IndexOf(const void* Item) const;
  // Deletes the first slot holding Item; its former index, or -1.
  int Remove(const void* Item);
  int LastIndex() const { return FCount - 1; }
  void SetCapacity(int NewCapacity);
  // New slots hold nullptr; dropped slots are not announced.
  void SetCount(int newCount);
  virtual void Clear();

  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }
  // Raises EVekListError for an index outside 0 ... Count - 1.
  void* Items(int Index) const;

  // While locked, Delete keeps indices stable and records the emptied
  // slots in FreeSlots (entries 0 ... FreeTop); unlocking forgets them.
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value);
  int FreeTop() const { return FFreeTop; }
  const std::vector<int>& FreeSlots() const { return FFreeSlots; }

  TItemEvent OnAdd;
  TItemEvent OnItemNotify;
  TItemEvent OnDelete;
  TItemsEvent OnItemsNotify;

protected:
  virtual void Grow();
  virtual void DoAdd(int Index, void* Item);
  virtual void DoItemNotify(int Index, void* Item);
  virtual void DoDelete(int Index, void* Item);
  virtual void DoItemsNotify(int A, int B, int C, int D);

  // Leaves the locked state (a destructor cannot refuse) and clears.
  void ClearForDestruction();

private:
  int FCount = 0;
  int FCapacity = 0;
  std::unique_ptr<void*[]> FItems;
  bool FLocked = false;
  std::vector<int> FFreeSlots;
  int FFreeTop = -1;
};

// The concrete list, for the application object's client registries.
class TVekList : public TVekCustomList {};
