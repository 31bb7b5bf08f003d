// velmora-stack: the stacker without a window.
#include "AsSaveTiff16Unit.h"
#include "CliOptions.h"
#include "CliStack.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
  SilenceTiffLibrary();
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
  try {
    std::cout << StackToTiff(Options) << "\n";
    return 0;
  } catch (const std::exception& Failure) {
    std::cerr << Failure.what() << "\n";
    return 1;
  }
}
