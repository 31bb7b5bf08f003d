#include "RunThreads.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

bool ParseThreadCount(const std::string& Text, int& Threads) {
  if (Text.empty() || Text.size() > 3 ||
      !std::all_of(Text.begin(), Text.end(), [](char Ch) { return Ch >= '0' && Ch <= '9'; }))
    return false;
  const int Value = std::stoi(Text);
  if (Value < 1 || Value > MaxRunThreads)
    return false;
  Threads = Value;
  return true;
}

int RunThreadsFromEnvironment() {
  int Threads = 0;
  const char* Text = std::getenv("VELMORA_THREADS");
  if (Text && ParseThreadCount(Text, Threads))
    return Threads;
  const unsigned Cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(Cores), 1, MaxRunThreads);
}
