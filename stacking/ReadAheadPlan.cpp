#include "ReadAheadPlan.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <unistd.h>

int ReadAheadSlots(int Threads, int64_t Pixels, int BytesPerPixel, int64_t Available) {
  if (Threads <= 1)
    return 1;
  const int64_t Slot = std::max<int64_t>(Pixels, 1) * BytesPerPixel;
  const int64_t PerThreads = std::max(6, BytesPerPixel) * std::max<int64_t>(Pixels, 1) * Threads;
  const int64_t Beside = std::max<int64_t>(Available - 12 * Pixels, 0) / 2;
  const int64_t Slots = std::min(PerThreads, Beside) / Slot;
  return static_cast<int>(std::clamp<int64_t>(Slots, 1, Threads + 1));
}

int64_t AvailableMemory() {
  // MemAvailable counts the page cache the kernel would give up; the free
  // pages alone would hold back a machine that has read many files.
  std::ifstream Info("/proc/meminfo");
  const std::string Key = "MemAvailable:";
  for (std::string Line; std::getline(Info, Line);)
    if (Line.rfind(Key, 0) == 0)
      return std::stoll(Line.substr(Key.size())) * 1024;
  const long Pages = sysconf(_SC_AVPHYS_PAGES);
  const long PageSize = sysconf(_SC_PAGESIZE);
  if (Pages <= 0 || PageSize <= 0)
    return std::numeric_limits<int64_t>::max() / 4;
  return static_cast<int64_t>(Pages) * PageSize;
}
