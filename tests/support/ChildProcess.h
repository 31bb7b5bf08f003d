#pragma once
// Work done in a child process, so that resource limits, a kill or a crash
// hit the child and never the test program itself.
#include "Sanitizers.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Limits the child starts with; none by default. A file-size limit comes
// with SIGXFSZ ignored, so a write beyond it fails with EFBIG instead of
// killing the child.
struct TChildLimits {
  std::optional<uint64_t> FileSize;
  std::optional<uint64_t> AddressSpace;

  static TChildLimits OfFileSize(uint64_t Bytes) { return {Bytes, std::nullopt}; }
  static TChildLimits OfAddressSpace(uint64_t Bytes) { return {std::nullopt, Bytes}; }
};

struct TChildResult {
  bool Exited = false; // false: ended by a signal
  int ExitCode = -1;
  int Signal = 0;
  // What the body returned or threw (RunInChild), or the program's stderr.
  std::string Output;
  // Peak resident set of the child in KiB.
  long MaxRssKb = 0;
};

// Runs Body in a forked child under Limits. Exit code 0 with Body's result
// as Output when it returns, 1 with the exception's message when it throws.
TChildResult RunInChild(const std::function<std::string()>& Body, const TChildLimits& Limits = {});

// Raises the child's address-space limit to what it uses now plus Extra
// bytes: a budget independent of how large the test program itself is.
void LimitAddressSpaceTo(uint64_t Extra);

// A program started with Args (Args[0] is its path) under Limits, stdout
// discarded and stderr written to ErrorFile. Killed and reaped when the
// object goes while it still runs.
class TChildProgram {
public:
  TChildProgram(const std::vector<std::string>& Args, const TChildLimits& Limits,
                const std::string& ErrorFile);
  ~TChildProgram();
  TChildProgram(const TChildProgram&) = delete;
  TChildProgram& operator=(const TChildProgram&) = delete;

  // True once the program has ended (reaps it without waiting).
  bool Ended();
  void Kill();
  // Waits for the end; Output holds the program's stderr.
  TChildResult Wait();

private:
  pid_t FPid = -1;
  std::string FErrorFile;
  std::optional<TChildResult> FResult;
};

// velmora-stack's command line with Args: the program the environment
// variable VELMORA_STACK names (which the test set-up gives).
std::vector<std::string> StackProgramCommand(const std::vector<std::string>& Args);

// A program started with Args (Args[0] is its path) as a user starts it
// from a terminal: stdin and stdout on /dev/null, stderr on a new
// terminal. Output holds the terminal's text (line ends as CR LF); nothing
// where no terminal can be opened.
std::optional<TChildResult> RunOnTerminal(const std::vector<std::string>& Args);
