#pragma once
// How many threads a run reads its files with: the number of cores, or
// the environment variable VELMORA_THREADS, or velmora-stack's -j.
#include <string>

inline constexpr int MaxRunThreads = 256;

// A count from 1 to MaxRunThreads written as a plain decimal number.
bool ParseThreadCount(const std::string& Text, int& Threads);
// VELMORA_THREADS when it holds such a count, else the number of cores.
int RunThreadsFromEnvironment();
