#pragma once
// One pass over the rows of a picture shared among the run's threads.
#include "RunPool.h"

#include <algorithm>
#include <cstdint>

// Calls Body(Part, First, Last) for Parts consecutive ranges that together
// cover the rows 0 .. Rows - 1, the first range on the caller's thread and
// the others on idle workers of the current pool (RunParts), and returns
// when all are done. Body must not raise.
template <class F> void SplitRows(int Rows, int Parts, F&& Body) {
  Parts = std::clamp(Parts, 1, std::max(Rows, 1));
  const auto First = [&](int Part) {
    return static_cast<int>(static_cast<int64_t>(Rows) * Part / Parts);
  };
  RunParts(Parts, [&](int Part) { Body(Part, First(Part), First(Part + 1)); });
}
