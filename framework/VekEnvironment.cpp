// Platform wrappers and the two facts about the environment that the unit
// works out once at start-up.
#include "VekEnvironment.h"

#include "VekConvert.h"
#include "VekPlatform.h"
#include "VekText.h"

#include <array>
#include <atomic>
#include <fstream>
#include <unistd.h>

bool AdminFlag = false;

namespace {

std::atomic<bool> DevEnvFlag{false};

// A debugger (or any tracer) attached to this process shows as a non-zero
// TracerPid in its status.
bool TracerAttached() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line)) {
    const std::string Tag = "TracerPid:";
    if (Line.compare(0, Tag.size(), Tag) == 0)
      return IVal(Trim(Line.substr(Tag.size()))) != 0;
  }
  return false;
}

} // namespace

void PlayBeep() {
  Platform().Beep();
}

void ProcessPending() {
  Platform().ProcessPending();
}

std::string MachineName() {
  std::array<char, 257> Buffer{};
  if (::gethostname(Buffer.data(), Buffer.size() - 1) != 0)
    return "localhost";
  const std::string Name = Trim(Buffer.data());
  return Name.empty() ? "localhost" : Name;
}

bool DevEnvRunning() {
  return DevEnvFlag.load(std::memory_order_relaxed);
}

bool IsAdmin() {
  return ::geteuid() == 0;
}

void InitVekUtil() {
  AdminFlag = IsAdmin();
  DevEnvFlag.store(TracerAttached(), std::memory_order_relaxed);
}
