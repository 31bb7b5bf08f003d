#pragma once
// The work of velmora-stack: the inputs added into one accumulator and the
// normalised sum written as a 16-bit TIFF.
#include "CliOptions.h"

#include <string>

// Returns the name of the file written. Raises the run's exceptions with
// their messages; unreadable inputs are skipped with a warning on stderr.
std::string StackToTiff(const TCliOptions& Options);
