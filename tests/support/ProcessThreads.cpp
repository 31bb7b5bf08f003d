#include "ProcessThreads.h"

#include <dirent.h>

int ThreadsOfThisProcess() {
  int Count = 0;
  DIR* Tasks = opendir("/proc/self/task");
  if (!Tasks)
    return -1;
  while (const dirent* Entry = readdir(Tasks))
    Count += Entry->d_name[0] != '.';
  closedir(Tasks);
  return Count;
}
