#include "WaitFor.h"

#include <chrono>
#include <thread>

bool WaitFor(const std::function<bool()>& Condition) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > Deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
