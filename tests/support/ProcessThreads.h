#pragma once
// How many threads this process has now, from /proc/self/task; -1 when
// that cannot be read.
int ThreadsOfThisProcess();
