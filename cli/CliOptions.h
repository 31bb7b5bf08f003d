#pragma once
// The command line of velmora-stack.
#include "AsSaveTiff16Unit.h"

#include <string>
#include <vector>

struct TCliOptions {
  bool Force = false;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
  TTiffCompression Compression = tcNone;
  // Threads reading the files; 0: VELMORA_THREADS or the number of cores.
  int Threads = 0;
  TSaveLayout Layout = slTiles;
  // 32-bit float samples instead of 16-bit ones.
  bool Float = false;
  std::string Output;
  std::vector<std::string> Inputs;
};

// Reads the arguments after the program name. False for wrong usage, with
// the reason in Error.
bool ParseCliOptions(const std::vector<std::string>& Args, TCliOptions& Options,
                     std::string& Error);

// The first line names the program and its version, as --version does.
std::string CliUsage();
std::string CliVersion();
