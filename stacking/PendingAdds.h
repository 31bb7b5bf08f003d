#pragma once
// The files a run has taken and not yet added. Where no preview is owed
// after each file, the files that are already read when their turn comes
// are added together, in one pass over the sums: per sum
// s = ((s + a) + b) + c, the additions of one file after the other, so the
// bytes are those of adding them one at a time. A streamed file is added
// alone as it is read, in its place among them. The first file of a run
// is stored into the zeroed sums rather than added.
#include "Exposure.h"
#include "ExposureAccumulator.h"
#include "ReadAhead.h"

#include <vector>

class TPendingAdds {
public:
  TPendingAdds(TExposureAccumulator& Sums, TReadAhead& Ahead) : FSums(Sums), FAhead(Ahead) {}

  // File Index was taken as Exposure; it stays the run's until Done.
  void Hold(size_t Index, TExposure& Exposure) { FHeld.push_back({Index, &Exposure}); }
  bool Empty() const { return FHeld.empty(); }
  // Adds every file held, Parts threads sharing the rows, and with
  // Maximum takes the new maximum as it goes: a run that shows no picture
  // needs it only at the end.
  void Add(int Parts, bool Maximum = true);
  // Whether the sums' maximum is that of the sums as they are.
  bool MaximumTaken() const { return FMaximumTaken; }
  // The files added go back to the read-ahead.
  void Done();

private:
  struct THeld {
    size_t Index;
    TExposure* Exposure;
  };
  TSumMode NextMode() const { return FStored ? TSumMode::Add : TSumMode::Store; }
  void AddTogether(size_t First, size_t Last, int Parts);
  void AddStreamed(TExposure& File, int Parts);
  void TakeMaximum(const std::vector<float>& Maxima);

  TExposureAccumulator& FSums;
  TReadAhead& FAhead;
  std::vector<THeld> FHeld;
  bool FStored = false;
  bool FMaximumTaken = true;
};
