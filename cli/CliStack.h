#pragma once
// The work of velmora-stack: the inputs added into one accumulator and the
// normalised sum written as a 16-bit TIFF.
#include "CliOptions.h"

#include <exception>
#include <string>

// Returns the name of the file written; unreadable inputs are skipped with
// a warning on stderr. A failure raises an Exception whose message is the
// line to print for it (see FailureLine).
std::string StackToTiff(const TCliOptions& Options);

// The line that reports a failure: the program's name, the file the run
// was at ("reading 'IN'", "writing 'OUT'") when there was one, the
// failure's own message word for word and, in parentheses, the system's
// cause when it gave one.
std::string FailureLine(const std::string& Context, const std::exception& Failure);
