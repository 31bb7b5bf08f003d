#include "StackProgram.h"

#include "TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

TStackRun RunStackProgram(const std::vector<std::string>& Args, const std::string& Folder) {
  const char* Program = std::getenv("VELMORA_STACK");
  std::vector<std::string> Words{Program ? Program : "velmora-stack"};
  Words.insert(Words.end(), Args.begin(), Args.end());
  std::vector<char*> Argv;
  for (std::string& Word : Words)
    Argv.push_back(Word.data());
  Argv.push_back(nullptr);
  const std::string OutName = Folder + "/stdout";
  const std::string ErrName = Folder + "/stderr";
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 1, OutName.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&Actions, 2, ErrName.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  TStackRun Result;
  pid_t Child = 0;
  if (posix_spawn(&Child, Argv[0], &Actions, nullptr, Argv.data(), environ) == 0) {
    int Raw = 0;
    waitpid(Child, &Raw, 0);
    Result.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
  }
  posix_spawn_file_actions_destroy(&Actions);
  Result.Out = ReadBytes(OutName);
  Result.Err = ReadBytes(ErrName);
  return Result;
}
