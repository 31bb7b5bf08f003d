// A pass over the rows shared among the run's threads: every row exactly
// once, in ranges that follow each other, the first on the caller's
// thread, and no part left waiting for a worker that is busy.
#include "SplitRows.h"

#include "ChildProcess.h"

#include <cstdio>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace {

struct TPass {
  std::vector<int> Count;
  std::vector<std::pair<int, int>> Ranges;
  std::vector<std::thread::id> Ids;
  int Calls = 0;
};

TPass Split(int Rows, int Parts, int Used) {
  TPass Pass;
  Pass.Count.assign(static_cast<size_t>(std::max(Rows, 0)), 0);
  Pass.Ranges.resize(static_cast<size_t>(Used));
  Pass.Ids.resize(static_cast<size_t>(Used));
  std::mutex Lock;
  SplitRows(Rows, Parts, [&](int Part, int First, int Last) {
    for (int Y = First; Y < Last; ++Y)
      ++Pass.Count[static_cast<size_t>(Y)];
    const std::lock_guard Guard(Lock);
    Pass.Ranges.at(static_cast<size_t>(Part)) = {First, Last};
    Pass.Ids.at(static_cast<size_t>(Part)) = std::this_thread::get_id();
    ++Pass.Calls;
  });
  return Pass;
}

TEST(SplitRows, EveryRowOnceInConsecutiveRangesWithOrWithoutAPool) {
  for (int Threads : {0, 1, 3}) {
    TRunPool Pool(Threads);
    for (const auto& [Rows, Parts, Used] : {std::tuple{100, 1, 1},
                                            {100, 2, 2},
                                            {100, 3, 3},
                                            {7, 4, 4},
                                            {3, 8, 3},
                                            {0, 4, 1},
                                            {5, 0, 1},
                                            {5, -2, 1}}) {
      const TPass Pass = Split(Rows, Parts, Used);
      EXPECT_EQ(Pass.Calls, Used) << Rows << " rows, " << Parts << " parts";
      EXPECT_EQ(Pass.Count, std::vector<int>(static_cast<size_t>(Rows), 1)) << Rows << " rows";
      EXPECT_EQ(Pass.Ranges.front().first, 0);
      EXPECT_EQ(Pass.Ranges.back().second, Rows);
      for (size_t P = 1; P < Pass.Ranges.size(); ++P)
        EXPECT_EQ(Pass.Ranges[P].first, Pass.Ranges[P - 1].second);
      EXPECT_EQ(Pass.Ids[0], std::this_thread::get_id());
    }
  }
}

TEST(SplitRows, PartsNoIdleWorkerTakesAreDoneByTheCaller) {
  TRunPool Pool(2);
  ASSERT_EQ(Pool.Workers(), 2);
  // Both workers held: the pass must still end, on the caller alone.
  std::promise<void> Release;
  const std::shared_future<void> Held = Release.get_future().share();
  for (int I = 0; I < 2; ++I)
    Pool.Post([Held] { Held.wait(); }, true);
  const TPass Pass = Split(40, 4, 4);
  Release.set_value();
  EXPECT_EQ(Pass.Count, std::vector<int>(40, 1));
  for (const std::thread::id Id : Pass.Ids)
    EXPECT_EQ(Id, std::this_thread::get_id());
}

TEST(SplitRows, APassInsideAWorkerUsesThePoolToo) {
  TRunPool Pool(2);
  std::promise<TPass> Result;
  Pool.Post([&] { Result.set_value(Split(10, 2, 2)); });
  const TPass Pass = Result.get_future().get();
  EXPECT_EQ(Pass.Count, std::vector<int>(10, 1));
}

TEST(RunPool, WorkersTheSystemRefusedAreNotCountedAndThePassStillEnds) {
  if (AddressSanitized())
    GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space than any limit";
  // Room for a few threads' stacks, not for 64.
  const TChildResult Child = RunInChild([] {
    LimitAddressSpaceTo(uint64_t{48} << 20);
    TRunPool Pool(64);
    const TPass Pass = Split(100, 64, 64);
    const int Rows = std::accumulate(Pass.Count.begin(), Pass.Count.end(), 0);
    return std::to_string(Pool.Workers()) + " " + std::to_string(Rows);
  });
  ASSERT_TRUE(Child.Exited) << "signal " << Child.Signal;
  ASSERT_EQ(Child.ExitCode, 0) << Child.Output;
  int Workers = -1, Rows = -1;
  ASSERT_EQ(std::sscanf(Child.Output.c_str(), "%d %d", &Workers, &Rows), 2) << Child.Output;
  EXPECT_LT(Workers, 64);
  EXPECT_EQ(Rows, 100);
}

} // namespace
