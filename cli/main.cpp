// velmora-stack: the stacking run without a window.
#include "AsSaveTiff16Unit.h"
#include "CliOptions.h"
#include "CliStack.h"
#include "VekSystem.h"

#include <exception>
#include <filesystem>
#include <iostream>

namespace {

// The application object makes the program's folder the current one, so
// names from the command line are made absolute first.
std::string Absolute(const std::string& Name) {
  return std::filesystem::absolute(Name).string();
}

} // namespace

int main(int argc, char** argv) {
  TCliOptions Options;
  std::string Error;
  if (!ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), Options, Error)) {
    std::cerr << "velmora-stack: " << Error << "\n\n" << CliUsage();
    return 2;
  }
  if (Options.Help) {
    std::cout << CliUsage();
    return 0;
  }
  if (Options.Version) {
    std::cout << CliVersion();
    return 0;
  }
  Options.GivenInputs = Options.Inputs;
  Options.Output = Absolute(Options.Output);
  if (!Options.Report.empty())
    Options.Report = Absolute(Options.Report);
  for (std::string& Input : Options.Inputs)
    Input = Absolute(Input);

  TVekSystemScope System;
  // No settings file and no error log of the window: what the framework
  // reports goes to stderr.
  App->ErrorFileName.clear();
  App->AlwaysShowErrors = true;
  SilenceTiffLibrary();
  try {
    std::cout << StackToTiff(Options) << "\n";
    return 0;
  } catch (const std::exception& Failure) {
    std::cerr << Failure.what() << "\n";
    return 1;
  }
}
