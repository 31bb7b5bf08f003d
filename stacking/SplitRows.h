#pragma once
// One pass over the rows of a picture shared among threads.
#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

// Calls Body(Part, First, Last) for Parts consecutive ranges that together
// cover the rows 0 .. Rows - 1, the first range on the caller's thread and
// each other one on a thread of its own, and returns when all are done.
// One part starts no thread; when no thread can be started, the caller
// does that part itself. Body must not raise.
template <class F> void SplitRows(int Rows, int Parts, F&& Body) {
  Parts = std::clamp(Parts, 1, std::max(Rows, 1));
  const auto First = [&](int Part) {
    return static_cast<int>(static_cast<int64_t>(Rows) * Part / Parts);
  };
  std::vector<std::jthread> Helpers;
  for (int Part = 1; Part < Parts; ++Part) {
    try {
      Helpers.emplace_back([&, Part] { Body(Part, First(Part), First(Part + 1)); });
    } catch (const std::system_error&) {
      Body(Part, First(Part), First(Part + 1));
    }
  }
  Body(0, First(0), First(1));
}
