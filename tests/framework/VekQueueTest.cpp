#include "VekQueue.h"
#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Runs Action and returns the EVekQueueError message it raised, or "" when
// it raised nothing.
template <class F> std::string QueueError(F Action) {
  try {
    Action();
  } catch (const EVekQueueError& E) {
    return E.what();
  }
  return "";
}

void PushInts(TVekQueue& Q, int32_t From, int32_t To) {
  for (int32_t V = From; V < To; ++V)
    Q.Push(&V);
}

std::vector<int32_t> PopAll(TVekQueue& Q) {
  std::vector<int32_t> Out;
  while (!Q.IsEmpty()) {
    int32_t V = 0;
    Q.Pop(&V);
    Out.push_back(V);
  }
  return Out;
}

std::vector<int32_t> Range(int32_t From, int32_t To) {
  std::vector<int32_t> Out;
  for (int32_t V = From; V < To; ++V)
    Out.push_back(V);
  return Out;
}

} // namespace

TEST(VekQueue, FirstPushTakes32ElementsAndTheRingDoubles) {
  TVekQueue Q(4);
  EXPECT_EQ(Q.GetCapacity(), 0u);
  EXPECT_TRUE(Q.IsEmpty());
  PushInts(Q, 0, 1);
  EXPECT_EQ(Q.GetCapacity(), 128u);
  PushInts(Q, 1, 31);
  EXPECT_EQ(Q.ByteCount(), 124u);
  EXPECT_EQ(Q.GetCapacity(), 128u);
  // One element must stay free: the 32nd push doubles the ring.
  PushInts(Q, 31, 32);
  EXPECT_EQ(Q.GetCapacity(), 256u);
  EXPECT_EQ(Q.Count(), 32);
  EXPECT_EQ(PopAll(Q), Range(0, 32));
  // Pop never makes the ring smaller.
  EXPECT_EQ(Q.GetCapacity(), 256u);
}

TEST(VekQueue, ElementSizeIsCheckedOnCreation) {
  EXPECT_EQ(QueueError([] { TVekQueue Q(0); }),
            "QueueElementSizeError in Create; NewElementSize = 0");
  EXPECT_EQ(QueueError([] { TVekQueue Q(-3); }),
            "QueueElementSizeError in Create; NewElementSize = -3");
  EXPECT_EQ(QueueError([] { TVekQueue Q(1); }), "");
}

TEST(VekQueue, SetCapacityRoundsToElementsAndRefusesTooLittleRoom) {
  TVekQueue Q(4);
  Q.SetCapacity(5);
  EXPECT_EQ(Q.GetCapacity(), 8u);
  Q.SetCapacity(0);
  EXPECT_EQ(Q.GetCapacity(), 0u);

  PushInts(Q, 1, 4);
  ASSERT_EQ(Q.ByteCount(), 12u);
  EXPECT_EQ(QueueError([&] { Q.SetCapacity(5); }),
            "QueueCapacityError in SetCapacity; NewCapacity = 8");
  // Exactly the bytes in use would leave no free element: refused too.
  EXPECT_EQ(QueueError([&] { Q.SetCapacity(12); }),
            "QueueCapacityError in SetCapacity; NewCapacity = 12");
  EXPECT_EQ(QueueError([&] { Q.SetCapacity(9); }),
            "QueueCapacityError in SetCapacity; NewCapacity = 12");
  // A refused change leaves everything as it was.
  EXPECT_EQ(Q.GetCapacity(), 128u);
  EXPECT_EQ(Q.Count(), 3);

  Q.SetCapacity(13);
  EXPECT_EQ(Q.GetCapacity(), 16u);
  EXPECT_EQ(PopAll(Q), Range(1, 4));
}

TEST(VekQueue, HugeCapacitiesAreRefusedWithoutWrapping) {
  TVekQueue Q(4);
  EXPECT_EQ(QueueError([&] { Q.SetCapacity(2147483647u); }),
            "QueueCapacityError in SetCapacity; NewCapacity = 2147483648");
  // Rounding up must not wrap round to an empty ring.
  EXPECT_EQ(QueueError([&] { Q.SetCapacity(4294967295u); }),
            "QueueCapacityError in SetCapacity; NewCapacity = 4294967296");
  EXPECT_EQ(Q.GetCapacity(), 0u);
}

TEST(VekQueue, OrderIsKeptAcrossTheWrapAndAcrossResizes) {
  TVekQueue Q(4);
  PushInts(Q, 0, 20);
  EXPECT_EQ(PopAll(Q).size(), 20u);
  // Head now sits at element 20 of 32: the next pushes wrap round.
  PushInts(Q, 100, 125);
  ASSERT_EQ(Q.GetCapacity(), 128u);
  EXPECT_LT(Q.GetTail(), Q.GetHead());

  Q.SetCapacity(200);
  EXPECT_EQ(Q.GetCapacity(), 200u);
  EXPECT_EQ(Q.GetHead(), 0u);
  EXPECT_EQ(Q.GetTail(), 100u);

  // Wrap again and let Push grow the wrapped ring.
  int32_t Dropped = 0;
  for (int I = 0; I < 10; ++I)
    Q.Pop(&Dropped);
  PushInts(Q, 125, 185);
  EXPECT_EQ(PopAll(Q), Range(110, 185));
}

TEST(VekQueue, EmptyQueueRaisesAndStaysUsable) {
  TVekQueue Q(8);
  int64_t V = 0;
  EXPECT_EQ(QueueError([&] { Q.Pop(&V); }), "Queue Empty");
  EXPECT_EQ(QueueError([&] { Q.Peek(); }), "Queue Empty");
  V = 42;
  Q.Push(&V);
  EXPECT_EQ(*static_cast<int64_t*>(Q.Peek()), 42);
  Q.Pop(&V);
  EXPECT_EQ(QueueError([&] { Q.Pop(&V); }), "Queue Empty");
  EXPECT_EQ(Q.GetCapacity(), 256u);
}

TEST(VekQueue, ClearReleasesTheRing) {
  TVekQueue Q(4);
  PushInts(Q, 0, 50);
  Q.Clear();
  EXPECT_TRUE(Q.IsEmpty());
  EXPECT_EQ(Q.GetCapacity(), 0u);
  EXPECT_EQ(Q.GetHead(), 0u);
  EXPECT_EQ(Q.GetTail(), 0u);
  PushInts(Q, 7, 8);
  EXPECT_EQ(PopAll(Q), Range(7, 8));
}

TEST(VekQueue, ShrinkFitsTheRingToItsContents) {
  TVekQueue Q(4);
  // Without a ring Shrink takes the least ring of 32 elements.
  Q.Shrink();
  EXPECT_EQ(Q.GetCapacity(), 128u);

  PushInts(Q, 0, 100);
  ASSERT_EQ(Q.GetCapacity(), 512u);
  // 400 bytes in use: 440 plus one element.
  Q.Shrink();
  EXPECT_EQ(Q.GetCapacity(), 444u);
  Q.Shrink();
  EXPECT_EQ(Q.GetCapacity(), 444u);

  int32_t Dropped = 0;
  for (int I = 0; I < 90; ++I)
    Q.Pop(&Dropped);
  Q.Shrink();
  EXPECT_EQ(Q.GetCapacity(), 128u);
  EXPECT_EQ(PopAll(Q), Range(90, 100));
}

namespace {

class TCountingQueue : public TVekQueue {
public:
  TCountingQueue() : TVekQueue(2) {}
  void DoPush() override {
    ++Pushes;
    TVekQueue::DoPush();
  }
  void DoPop() override { ++Pops; }
  void DoClear() override { ++Clears; }
  int Pushes = 0, Pops = 0, Clears = 0;
};

} // namespace

TEST(VekQueue, NotificationsFollowEachOperation) {
  TCountingQueue Q;
  int Callbacks = 0;
  Q.OnPush = [&](TVekQueue& Sender) {
    EXPECT_EQ(&Sender, &Q);
    ++Callbacks;
  };
  int16_t V = 5;
  Q.Push(&V);
  Q.Push(&V);
  Q.Pop(&V);
  Q.Clear();
  EXPECT_EQ(Q.Pushes, 2);
  EXPECT_EQ(Callbacks, 2);
  // A failed pop announces nothing.
  EXPECT_THROW(Q.Pop(&V), EVekQueueError);
  EXPECT_EQ(Q.Pops, 1);
  EXPECT_EQ(Q.Clears, 1);
}
