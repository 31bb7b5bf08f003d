#pragma once
// The JSON report of a run: the result's size, the rectangle written, and
// where each added file was placed on the first one's grid.
#include "Alignment.h"

#include <string>
#include <vector>

struct TReportedFile {
  std::string Name; // as given on the command line
  TPlacement Placement;
};

struct TRunReport {
  int Width = 0;
  int Height = 0;
  TCropRect Crop;
  std::vector<TReportedFile> Files;
};

std::string ReportJson(const TRunReport& Report);
// Writes the report to FileName, replacing it; raises an Exception that
// names the file when it cannot.
void WriteReport(const std::string& FileName, const TRunReport& Report);
