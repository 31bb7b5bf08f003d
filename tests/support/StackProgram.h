#pragma once
// velmora-stack (named by the environment variable VELMORA_STACK) run as a
// child process with the given arguments.
#include <string>
#include <vector>

struct TStackRun {
  int Status = -1; // the exit status; -1 when it did not exit
  std::string Out, Err;
};

// Its standard output and error are kept in files of Folder.
TStackRun RunStackProgram(const std::vector<std::string>& Args, const std::string& Folder);
