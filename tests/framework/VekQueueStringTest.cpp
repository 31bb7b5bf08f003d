#include "VekExceptions.h"
#include "VekQueue.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace std::string_literals;

TEST(VekStringQueue, TextsComeBackWholeAndInOrder) {
  TVekStringQueue Q;
  EXPECT_EQ(Q.GetElementSize(), static_cast<int>(sizeof(void*)));
  const std::vector<std::string> Texts = {"", "abc", "a\0b\0"s, std::string(100000, 'x'),
                                          "\xC3\xA4 end"};
  for (const auto& T : Texts)
    Q.Push(T);
  EXPECT_EQ(Q.Count(), 5);

  std::string S = "untouched";
  Q.Peek(S);
  EXPECT_EQ(S, "");
  EXPECT_EQ(Q.Count(), 5);
  for (const auto& T : Texts) {
    Q.Pop(S);
    EXPECT_EQ(S, T);
  }
  EXPECT_TRUE(Q.IsEmpty());
}

TEST(VekStringQueue, EmptyQueueRaisesAndLeavesTheTarget) {
  TVekStringQueue Q;
  std::string S = "kept";
  try {
    Q.Pop(S);
    FAIL() << "Pop of an empty queue raised nothing";
  } catch (const EVekQueueError& E) {
    EXPECT_STREQ(E.what(), "Queue Empty");
  }
  EXPECT_THROW(Q.Peek(S), EVekQueueError);
  EXPECT_EQ(S, "kept");
}

TEST(VekStringQueue, OrderSurvivesTheWrap) {
  TVekStringQueue Q;
  std::string S;
  int Next = 0;
  // Keep about 20 texts queued while 200 pass: the ring wraps many times.
  for (int I = 0; I < 200; ++I) {
    Q.Push(std::to_string(I));
    if (I >= 20) {
      Q.Pop(S);
      EXPECT_EQ(S, std::to_string(Next++));
    }
  }
  EXPECT_EQ(Q.GetCapacity(), 32u * sizeof(void*));
  while (!Q.IsEmpty()) {
    Q.Pop(S);
    EXPECT_EQ(S, std::to_string(Next++));
  }
  EXPECT_EQ(Next, 200);
}

namespace {

class TCountingStringQueue : public TVekStringQueue {
public:
  void DoPop() override { ++Pops; }
  void DoClear() override { ++Clears; }
  int Pops = 0, Clears = 0;
};

} // namespace

TEST(VekStringQueue, ClearAndDestructionReleaseEveryText) {
  TCountingStringQueue Q;
  for (int I = 0; I < 70; ++I)
    Q.Push("text " + std::to_string(I));
  Q.Clear();
  EXPECT_TRUE(Q.IsEmpty());
  EXPECT_EQ(Q.GetCapacity(), 0u);
  EXPECT_EQ(Q.Pops, 0);
  EXPECT_EQ(Q.Clears, 1);

  // Destroyed with texts queued: the leak checker of the sanitizer build
  // sees any block left behind; the clear is announced once.
  int Cleared = 0;
  {
    TVekStringQueue Doomed;
    Doomed.OnClear = [&](TVekQueue&) { ++Cleared; };
    for (int I = 0; I < 40; ++I)
      Doomed.Push(std::string(I, 'q'));
  }
  EXPECT_EQ(Cleared, 1);
}

TEST(VekThreadStringQueue, EmptyPopRaisesAndFreesTheLock) {
  TVekThreadStringQueue Q;
  std::string S;
  EXPECT_THROW(Q.Pop(S), EVekQueueError);
  EXPECT_THROW(Q.Peek(S), EVekQueueError);
  bool Free = false;
  std::thread Other([&] {
    if (TVekStringQueue* Inner = Q.TryLock()) {
      Free = true;
      Inner->Push("from the other thread");
      Q.Unlock();
    }
  });
  Other.join();
  EXPECT_TRUE(Free);
  EXPECT_EQ(Q.Count(), 1);
}

TEST(VekThreadStringQueue, LockIsReentrantAndHeldAgainstOtherThreads) {
  TVekThreadStringQueue Q;
  TVekStringQueue& Inner = Q.Lock();
  Inner.Push("a");
  Q.Push("b"); // enters the lock a second time
  EXPECT_EQ(Q.Count(), 2);
  bool Free = true;
  std::thread Other([&] {
    if (Q.TryLock()) {
      Free = true;
      Q.Unlock();
    } else {
      Free = false;
    }
  });
  Other.join();
  EXPECT_FALSE(Free);
  Q.Unlock();

  std::string S;
  Q.Pop(S);
  EXPECT_EQ(S, "a");
  Q.Peek(S);
  EXPECT_EQ(S, "b");
  EXPECT_FALSE(Q.IsEmpty());
}

TEST(VekThreadStringQueue, TextsPassBetweenThreadsInOrder) {
  TVekThreadStringQueue Q;
  constexpr int Lines = 2000;
  std::thread Producer([&] {
    for (int I = 0; I < Lines; ++I)
      Q.Push("line " + std::to_string(I));
  });
  std::vector<std::string> Got;
  std::string S;
  while (static_cast<int>(Got.size()) < Lines) {
    if (Q.IsEmpty()) {
      std::this_thread::yield();
      continue;
    }
    Q.Pop(S);
    Got.push_back(S);
  }
  Producer.join();
  for (int I = 0; I < Lines; ++I)
    ASSERT_EQ(Got[I], "line " + std::to_string(I));
  EXPECT_TRUE(Q.IsEmpty());
}
