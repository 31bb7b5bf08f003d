#include "VekList.h"
#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

template <class F> std::string ListError(F Action) {
  try {
    Action();
  } catch (const EVekListError& E) {
    return E.what();
  }
  return "";
}

// Distinct addresses to store; the list never looks behind them.
int Objects[200];

void* Obj(int I) {
  return &Objects[I];
}

std::vector<void*> Contents(const TVekCustomList& L) {
  std::vector<void*> Out;
  for (int I = 0; I <= L.LastIndex(); ++I)
    Out.push_back(L.Items(I));
  return Out;
}

// Records every announcement; clears in its own destructor so that the
// overrides are reached there too.
class TRecordingList : public TVekList {
public:
  ~TRecordingList() override {
    ClearForDestruction();
    if (Destroyed)
      *Destroyed = Deleted;
  }
  void DoAdd(int Index, void* Item) override {
    Added.emplace_back(Index, Item);
    SeenCount.push_back(Count());
  }
  void DoDelete(int Index, void* Item) override {
    Deleted.emplace_back(Index, Item);
    SeenCount.push_back(Count());
  }
  std::vector<std::pair<int, void*>> Added, Deleted;
  std::vector<int> SeenCount;
  std::vector<std::pair<int, void*>>* Destroyed = nullptr;
};

} // namespace

TEST(VekList, GrowsBy32UpTo64ThenByHalf) {
  TVekList L;
  EXPECT_EQ(L.Capacity(), 0);
  std::vector<int> CapacityAfter;
  for (int I = 0; I < 145; ++I) {
    EXPECT_EQ(L.Add(Obj(I)), I);
    CapacityAfter.push_back(L.Capacity());
  }
  EXPECT_EQ(CapacityAfter[0], 32);
  EXPECT_EQ(CapacityAfter[31], 32);
  EXPECT_EQ(CapacityAfter[32], 64);
  EXPECT_EQ(CapacityAfter[64], 96);
  EXPECT_EQ(CapacityAfter[96], 144);
  EXPECT_EQ(CapacityAfter[144], 216);
  EXPECT_EQ(L.Count(), 145);
  for (int I = 0; I < 145; ++I)
    ASSERT_EQ(L.Items(I), Obj(I));
}

TEST(VekList, AddAndDeleteAnnounceBeforeTheyChange) {
  TRecordingList L;
  L.Add(Obj(1));
  L.Add(Obj(2));
  L.Add(Obj(3));
  L.Delete(1);
  EXPECT_EQ(L.Added, (std::vector<std::pair<int, void*>>{{0, Obj(1)}, {1, Obj(2)}, {2, Obj(3)}}));
  EXPECT_EQ(L.Deleted, (std::vector<std::pair<int, void*>>{{1, Obj(2)}}));
  // Count as seen inside each notification: the change had not happened.
  EXPECT_EQ(L.SeenCount, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Contents(L), (std::vector<void*>{Obj(1), Obj(3)}));
}

TEST(VekList, BadIndicesAndCountsRaiseAndChangeNothing) {
  TRecordingList L;
  L.Add(Obj(1));
  L.Add(Obj(2));
  L.Add(Obj(3));
  EXPECT_EQ(ListError([&] { L.Delete(3); }), "ListIndexError in Delete; Index =3");
  EXPECT_EQ(ListError([&] { L.Delete(-1); }), "ListIndexError in Delete; Index =-1");
  EXPECT_EQ(ListError([&] { L.SetCapacity(2); }),
            "ListCapacityError in SetCapacity; NewCapacity =2");
  EXPECT_EQ(ListError([&] { L.SetCapacity(134217728); }),
            "ListCapacityError in SetCapacity; NewCapacity =134217728");
  EXPECT_EQ(ListError([&] { L.SetCount(-1); }), "ListSetCountError in SetCount; newCount =-1");
  EXPECT_EQ(ListError([&] { L.SetCount(134217728); }),
            "ListSetCountError in SetCount; newCount =134217728");
  EXPECT_THROW(L.Items(3), EVekListError);
  EXPECT_TRUE(L.Deleted.empty());
  EXPECT_EQ(L.Capacity(), 32);
  EXPECT_EQ(Contents(L), (std::vector<void*>{Obj(1), Obj(2), Obj(3)}));

  TVekList Two;
  Two.Add(Obj(1));
  Two.Add(Obj(2));
  EXPECT_EQ(ListError([&] { Two.SetCapacity(1); }),
            "ListCapacityError in SetCapacity; NewCapacity =1");
}

TEST(VekList, RemoveTakesTheFirstOccurrenceOnly) {
  TVekList L;
  L.Add(Obj(1));
  L.Add(Obj(2));
  L.Add(Obj(1));
  EXPECT_EQ(L.Remove(Obj(9)), -1);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L.Remove(Obj(1)), 0);
  EXPECT_EQ(Contents(L), (std::vector<void*>{Obj(2), Obj(1)}));
  EXPECT_EQ(L.IndexOf(Obj(1)), 1);
  EXPECT_EQ(L.Remove(Obj(1)), 1);
  EXPECT_EQ(L.IndexOf(Obj(1)), -1);
  EXPECT_EQ(L.LastIndex(), 0);
}

TEST(VekList, SetCountFillsWithNullAndAnnouncesNothing) {
  TRecordingList L;
  L.Add(Obj(1));
  L.Add(Obj(2));
  L.Added.clear();
  L.SetCount(5);
  EXPECT_EQ(Contents(L), (std::vector<void*>{Obj(1), Obj(2), nullptr, nullptr, nullptr}));
  EXPECT_TRUE(L.Added.empty());
  L.SetCount(40);
  EXPECT_EQ(L.Capacity(), 40);
  L.SetCount(1);
  EXPECT_TRUE(L.Deleted.empty());
  EXPECT_EQ(Contents(L), (std::vector<void*>{Obj(1)}));
  // Growing again must not bring the dropped item back.
  L.SetCount(2);
  EXPECT_EQ(L.Items(1), nullptr);
}

TEST(VekList, ClearAndDestructionAnnounceEveryItem) {
  TRecordingList L;
  L.Add(Obj(1));
  L.Add(nullptr);
  L.Add(Obj(3));
  L.Clear();
  EXPECT_EQ(L.Deleted,
            (std::vector<std::pair<int, void*>>{{0, Obj(1)}, {1, nullptr}, {2, Obj(3)}}));
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.Capacity(), 0);

  std::vector<std::pair<int, void*>> AtDestruction;
  {
    TRecordingList Doomed;
    Doomed.Destroyed = &AtDestruction;
    Doomed.Add(Obj(5));
    Doomed.Add(Obj(6));
  }
  EXPECT_EQ(AtDestruction, (std::vector<std::pair<int, void*>>{{0, Obj(5)}, {1, Obj(6)}}));

  // A plain list announces through its callback.
  std::vector<void*> Announced;
  {
    TVekList Plain;
    Plain.OnDelete = [&](TVekCustomList& Sender, int Index, void* Item) {
      EXPECT_EQ(Sender.Items(Index), Item);
      Announced.push_back(Item);
    };
    Plain.Add(Obj(7));
  }
  EXPECT_EQ(Announced, (std::vector<void*>{Obj(7)}));
}

TEST(VekList, LockedListKeepsIndicesStable) {
  TRecordingList L;
  for (int I = 0; I < 40; ++I)
    L.Add(Obj(I));
  L.SetLocked(true);
  for (int I = 0; I < 34; ++I)
    L.Delete(I);
  EXPECT_EQ(L.Count(), 40);
  EXPECT_EQ(L.Items(5), nullptr);
  EXPECT_EQ(L.Items(34), Obj(34));
  EXPECT_EQ(L.FreeTop(), 33);
  ASSERT_GE(L.FreeSlots().size(), 34u);
  EXPECT_EQ(L.FreeSlots()[0], 0);
  EXPECT_EQ(L.FreeSlots()[33], 33);
  // The free slots are not reused by Add.
  EXPECT_EQ(L.Add(Obj(99)), 40);

  const auto Deleted = L.Deleted.size();
  EXPECT_EQ(ListError([&] { L.Clear(); }), "List Locked can not perform Clear");
  EXPECT_EQ(ListError([&] { L.SetCount(3); }), "List Locked can not perform Move");
  EXPECT_EQ(L.Deleted.size(), Deleted);
  EXPECT_EQ(L.Count(), 41);
  L.SetCount(42);

  L.SetLocked(false);
  EXPECT_EQ(L.FreeTop(), -1);
  L.Delete(0);
  EXPECT_EQ(L.Count(), 41);
}

TEST(VekList, LockedListCanStillBeDestroyed) {
  std::vector<std::pair<int, void*>> AtDestruction;
  {
    TRecordingList L;
    L.Destroyed = &AtDestruction;
    L.Add(Obj(1));
    L.SetLocked(true);
  }
  EXPECT_EQ(AtDestruction, (std::vector<std::pair<int, void*>>{{0, Obj(1)}}));
}
