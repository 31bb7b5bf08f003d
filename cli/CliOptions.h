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
  // Every input after the first aligned to the first before it is added.
  bool Align = false;
  // Where the JSON report of the run goes; empty: none.
  std::string Report;
  std::string Output;
  std::vector<std::string> Inputs;
  // The inputs as given, for the report (Inputs are made absolute).
  std::vector<std::string> GivenInputs;
};

// Reads the arguments after the program name. False for wrong usage, with
// the reason in Error.
bool ParseCliOptions(const std::vector<std::string>& Args, TCliOptions& Options,
                     std::string& Error);

// The first line names the program and its version, as --version does.
std::string CliUsage();
std::string CliVersion();
