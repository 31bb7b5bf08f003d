#include "VekPlatform.h"
#include "VekUtil.h"

#include <gtest/gtest.h>

#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class TCountingPlatform : public THeadlessPlatform {
public:
  void Beep() override { ++Beeps; }
  void ProcessPending() override { ++Pending; }
  int Beeps = 0;
  int Pending = 0;
};

// Runs InitVekUtil in a child, optionally traced by this process, and
// returns the child's DevEnvRunning (or -1 when tracing is refused here).
int DevEnvInChild(bool Traced) {
  const pid_t Child = ::fork();
  if (Child == 0) {
    if (Traced && ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
      ::_exit(2);
    InitVekUtil();
    ::_exit(DevEnvRunning() ? 1 : 0);
  }
  int Status = 0;
  if (Child < 0 || ::waitpid(Child, &Status, 0) != Child || !WIFEXITED(Status))
    return -1;
  return WEXITSTATUS(Status) == 2 ? -1 : WEXITSTATUS(Status);
}

} // namespace

TEST(VekUtilEnvironment, BeepAndPendingGoThroughThePlatform) {
  TCountingPlatform Recorder;
  InstallPlatform(&Recorder);
  PlayBeep();
  ProcessPending();
  ProcessPending();
  InstallPlatform(nullptr);
  EXPECT_EQ(Recorder.Beeps, 1);
  EXPECT_EQ(Recorder.Pending, 2);
}

TEST(VekUtilEnvironment, MachineNameAndPrivilege) {
  const std::string Name = MachineName();
  EXPECT_FALSE(Name.empty());
  EXPECT_EQ(Name, Trim(Name));
  EXPECT_EQ(IsAdmin(), ::geteuid() == 0);
  InitVekUtil();
  EXPECT_EQ(AdminFlag, IsAdmin());
}

TEST(VekUtilEnvironment, DebuggerAttachedAtStartUp) {
  const int Traced = DevEnvInChild(true);
  if (Traced < 0)
    GTEST_SKIP() << "tracing is not permitted here";
  EXPECT_EQ(Traced, 1);
  EXPECT_EQ(DevEnvInChild(false), 0);
}
