#include "ChildProcess.h"

#include "TempDir.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Only async-signal-safe calls: the child of a threaded program may run
// nothing else before it execs or ends.
bool ApplyLimits(const TChildLimits& Limits) {
  if (Limits.FileSize) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit Limit{*Limits.FileSize, *Limits.FileSize};
    if (setrlimit(RLIMIT_FSIZE, &Limit) != 0)
      return false;
  }
  if (Limits.AddressSpace) {
    const rlimit Limit{*Limits.AddressSpace, *Limits.AddressSpace};
    if (setrlimit(RLIMIT_AS, &Limit) != 0)
      return false;
  }
  return true;
}

void WriteAll(int Fd, const std::string& Text) {
  size_t Done = 0;
  while (Done < Text.size()) {
    const ssize_t Written = write(Fd, Text.data() + Done, Text.size() - Done);
    if (Written <= 0)
      return;
    Done += static_cast<size_t>(Written);
  }
}

std::string ReadAll(int Fd) {
  std::string Text;
  char Buffer[4096];
  ssize_t Got = 0;
  while ((Got = read(Fd, Buffer, sizeof Buffer)) > 0)
    Text.append(Buffer, static_cast<size_t>(Got));
  return Text;
}

// The child's end, or none while it runs (with WNOHANG).
std::optional<TChildResult> Reap(pid_t Pid, int Options) {
  int Status = 0;
  rusage Usage{};
  TChildResult Result;
  const pid_t Got = wait4(Pid, &Status, Options, &Usage);
  if (Got == 0)
    return std::nullopt;
  if (Got != Pid)
    throw std::runtime_error("wait4 found no child");
  Result.Exited = WIFEXITED(Status);
  Result.ExitCode = Result.Exited ? WEXITSTATUS(Status) : -1;
  Result.Signal = WIFSIGNALED(Status) ? WTERMSIG(Status) : 0;
  Result.MaxRssKb = Usage.ru_maxrss;
  return Result;
}

} // namespace

TChildResult RunInChild(const std::function<std::string()>& Body, const TChildLimits& Limits) {
  int Pipe[2];
  if (pipe(Pipe) != 0)
    throw std::runtime_error("pipe failed");
  const pid_t Pid = fork();
  if (Pid < 0)
    throw std::runtime_error("fork failed");
  if (Pid == 0) {
    close(Pipe[0]);
    if (!ApplyLimits(Limits))
      _exit(3);
    int Code = 0;
    std::string Text;
    try {
      Text = Body();
    } catch (const std::exception& Failure) {
      Code = 1;
      Text = Failure.what();
    } catch (...) {
      Code = 2;
    }
    WriteAll(Pipe[1], Text);
    _exit(Code);
  }
  close(Pipe[1]);
  const std::string Text = ReadAll(Pipe[0]);
  close(Pipe[0]);
  TChildResult Result = *Reap(Pid, 0);
  Result.Output = Text;
  return Result;
}

void LimitAddressSpaceTo(uint64_t Extra) {
  std::ifstream Statm("/proc/self/statm");
  uint64_t Pages = 0;
  if (!(Statm >> Pages))
    throw std::runtime_error("cannot read /proc/self/statm");
  const uint64_t Limit = Pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) + Extra;
  const rlimit Value{Limit, Limit};
  if (setrlimit(RLIMIT_AS, &Value) != 0)
    throw std::runtime_error("setrlimit(RLIMIT_AS) failed");
}

std::vector<std::string> StackProgramCommand(const std::vector<std::string>& Args) {
  const char* Program = std::getenv("VELMORA_STACK");
  std::vector<std::string> Command{Program ? Program : "velmora-stack"};
  Command.insert(Command.end(), Args.begin(), Args.end());
  return Command;
}

TChildProgram::TChildProgram(const std::vector<std::string>& Args, const TChildLimits& Limits,
                             const std::string& ErrorFile)
    : FErrorFile(ErrorFile) {
  std::vector<char*> Argv;
  for (const std::string& Arg : Args)
    Argv.push_back(const_cast<char*>(Arg.c_str()));
  Argv.push_back(nullptr);
  FPid = fork();
  if (FPid < 0)
    throw std::runtime_error("fork failed");
  if (FPid == 0) {
    const int Null = open("/dev/null", O_RDWR);
    const int Err = open(ErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (Null < 0 || Err < 0 || dup2(Null, STDIN_FILENO) < 0 || dup2(Null, STDOUT_FILENO) < 0 ||
        dup2(Err, STDERR_FILENO) < 0 || !ApplyLimits(Limits))
      _exit(126);
    execv(Argv[0], Argv.data());
    _exit(127);
  }
}

TChildProgram::~TChildProgram() {
  if (FResult)
    return;
  Kill();
  try {
    Wait();
  } catch (const std::exception&) {
    // Already reaped elsewhere; nothing is left to clean up.
  }
}

bool TChildProgram::Ended() {
  if (!FResult && (FResult = Reap(FPid, WNOHANG)))
    FResult->Output = ReadBytes(FErrorFile);
  return FResult.has_value();
}

void TChildProgram::Kill() {
  if (!FResult)
    kill(FPid, SIGKILL);
}

TChildResult TChildProgram::Wait() {
  if (!FResult) {
    FResult = Reap(FPid, 0);
    FResult->Output = ReadBytes(FErrorFile);
  }
  return *FResult;
}

std::optional<TChildResult> RunOnTerminal(const std::vector<std::string>& Args) {
  std::vector<char*> Argv;
  for (const std::string& Arg : Args)
    Argv.push_back(const_cast<char*>(Arg.c_str()));
  Argv.push_back(nullptr);
  int Master = -1, Slave = -1;
  if (openpty(&Master, &Slave, nullptr, nullptr, nullptr) != 0)
    return std::nullopt; // a chroot without /dev/pts has no terminal to give
  const pid_t Pid = fork();
  if (Pid < 0) {
    close(Master);
    close(Slave);
    throw std::runtime_error("fork failed");
  }
  if (Pid == 0) {
    const int Null = open("/dev/null", O_RDWR);
    if (Null < 0 || dup2(Null, STDIN_FILENO) < 0 || dup2(Null, STDOUT_FILENO) < 0 ||
        dup2(Slave, STDERR_FILENO) < 0)
      _exit(126);
    execv(Argv[0], Argv.data());
    _exit(127);
  }
  close(Slave);
  std::string Text;
  char Buffer[4096];
  for (;;) {
    const ssize_t Got = read(Master, Buffer, sizeof Buffer);
    if (Got < 0 && errno == EINTR)
      continue;
    if (Got <= 0) // EIO once the child has closed the terminal
      break;
    Text.append(Buffer, static_cast<size_t>(Got));
  }
  close(Master);
  std::optional<TChildResult> Result = Reap(Pid, 0);
  Result->Output = std::move(Text);
  return Result;
}
