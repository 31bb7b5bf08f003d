#include "VekList.h"

#include "VekExceptions.h"
#include "VekMemory.h"

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void RaiseList(const std::string& Message) {
  throw EVekListError(Message);
}

} // namespace

TVekCustomList::~TVekCustomList() {
  ClearForDestruction();
}

void TVekCustomList::ClearForDestruction() {
  SetLocked(false);
  Clear();
}

void* TVekCustomList::Items(int Index) const {
  if (Index < 0 || Index >= FCount)
    RaiseList("ListIndexError in Items; Index =" + std::to_string(Index));
  return FItems[Index];
}

void TVekCustomList::SetLocked(bool Value) {
  FLocked = Value;
  if (!Value) {
    FFreeSlots.clear();
    FFreeTop = -1;
  }
}

int TVekCustomList::Add(void* Item) {
  const int I = FCount;
  DoAdd(I, Item);
  if (FCount == FCapacity)
    Grow();
  FItems[I] = Item;
  ++FCount;
  return I;
}

void TVekCustomList::Delete(int Index) {
  if (Index < 0 || Index > LastIndex())
    RaiseList("ListIndexError in Delete; Index =" + std::to_string(Index));
  DoDelete(Index, FItems[Index]);
  if (!FLocked) {
    std::copy(FItems.get() + Index + 1, FItems.get() + FCount, FItems.get() + Index);
    --FCount;
    return;
  }
  FItems[Index] = nullptr;
  ++FFreeTop;
  if (static_cast<int>(FFreeSlots.size()) <= FFreeTop)
    FFreeSlots.resize(static_cast<size_t>(std::max(32, 2 * FFreeTop)));
  FFreeSlots[static_cast<size_t>(FFreeTop)] = Index;
}

int TVekCustomList::IndexOf(const void* Item) const {
  const auto End = FItems.get() + FCount;
  const auto Found = std::find(FItems.get(), End, Item);
  return Found == End ? -1 : static_cast<int>(Found - FItems.get());
}

int TVekCustomList::Remove(const void* Item) {
  const int I = IndexOf(Item);
  if (I >= 0)
    Delete(I);
  return I;
}

void TVekCustomList::Clear() {
  if (FLocked)
    RaiseList("List Locked can not perform Clear");
  for (int I = 0; I < FCount; ++I)
    DoDelete(I, FItems[I]);
  SetCount(0);
  SetCapacity(0);
}

void TVekCustomList::SetCapacity(int NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > MaxListSize)
    RaiseList("ListCapacityError in SetCapacity; NewCapacity =" + std::to_string(NewCapacity));
  if (NewCapacity == FCapacity)
    return;
  std::unique_ptr<void*[]> NewItems;
  if (NewCapacity != 0) {
    NewItems = AllocArray<void*>(NewCapacity);
    std::copy(FItems.get(), FItems.get() + FCount, NewItems.get());
  }
  FItems = std::move(NewItems);
  FCapacity = NewCapacity;
}

void TVekCustomList::SetCount(int newCount) {
  if (newCount < 0 || newCount > MaxListSize)
    RaiseList("ListSetCountError in SetCount; newCount =" + std::to_string(newCount));
  if (FLocked && newCount < FCount)
    RaiseList("List Locked can not perform Move");
  if (newCount > FCapacity)
    SetCapacity(newCount);
  if (newCount > FCount)
    std::fill(FItems.get() + FCount, FItems.get() + newCount, nullptr);
  FCount = newCount;
}

void TVekCustomList::Grow() {
  SetCapacity(FCapacity > 64 ? FCapacity + FCapacity / 2 : FCapacity + 32);
}

void TVekCustomList::DoAdd(int Index, void* Item) {
  if (OnAdd)
    OnAdd(*this, Index, Item);
}

void TVekCustomList::DoItemNotify(int Index, void* Item) {
  if (OnItemNotify)
    OnItemNotify(*this, Index, Item);
}

void TVekCustomList::DoDelete(int Index, void* Item) {
  if (OnDelete)
    OnDelete(*this, Index, Item);
}

void TVekCustomList::DoItemsNotify(int A, int B, int C, int D) {
  if (OnItemsNotify)
    OnItemsNotify(*this, A, B, C, D);
}
