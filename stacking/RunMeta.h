#pragma once
// What a run's result carries: the first file's profile and fields. A
// later file with another profile is told to the host; its pixels are
// still added, and the first profile stays.
#include "PictureMeta.h"
#include "RunHost.h"

#include <string>

class TRunMeta {
public:
  // Meta is that of FileName, the file just added.
  void Add(const TPictureMeta& Meta, const std::string& FileName, TRunHost& Host);
  const TPictureMeta& First() const { return FFirst; }

private:
  bool FTaken = false;
  TPictureMeta FFirst;
};
