// A pass over the rows shared among threads: every row exactly once, in
// ranges that follow each other, one part on the caller's thread.
#include "SplitRows.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

TEST(SplitRows, EveryRowOnceInConsecutiveRangesAndOnePartStartsNoThread) {
  for (const auto& [Rows, Parts, Used] : {std::tuple{100, 1, 1},
                                          {100, 2, 2},
                                          {100, 3, 3},
                                          {7, 4, 4},
                                          {3, 8, 3},
                                          {0, 4, 1},
                                          {5, 0, 1},
                                          {5, -2, 1}}) {
    std::vector<int> Count(static_cast<size_t>(Rows), 0);
    std::vector<std::pair<int, int>> Ranges(static_cast<size_t>(std::max(Used, 1)));
    std::vector<std::thread::id> Ids(Ranges.size());
    std::mutex Lock;
    int Calls = 0;
    SplitRows(Rows, Parts, [&](int Part, int First, int Last) {
      for (int Y = First; Y < Last; ++Y)
        ++Count[static_cast<size_t>(Y)];
      const std::lock_guard Guard(Lock);
      Ranges.at(static_cast<size_t>(Part)) = {First, Last};
      Ids.at(static_cast<size_t>(Part)) = std::this_thread::get_id();
      ++Calls;
    });
    EXPECT_EQ(Calls, Used) << Rows << " rows, " << Parts << " parts";
    EXPECT_EQ(Count, std::vector<int>(static_cast<size_t>(Rows), 1)) << Rows << " rows";
    EXPECT_EQ(Ranges.front().first, 0);
    EXPECT_EQ(Ranges.back().second, Rows);
    for (size_t P = 1; P < Ranges.size(); ++P) {
      EXPECT_EQ(Ranges[P].first, Ranges[P - 1].second);
      EXPECT_NE(Ids[P], Ids[0]);
    }
    EXPECT_EQ(Ids[0], std::this_thread::get_id());
  }
}

} // namespace
