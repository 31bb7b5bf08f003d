#pragma once
// The files of a run placed onto the first one's grid: the first as read,
// every later one aligned to it and resampled, unless it needs no move.
#include "Aligner.h"
#include "Exposure.h"

#include <memory>
#include <string>
#include <vector>

class TRunAlignment {
public:
  // Disabled, every file is added as read and the result is not cut.
  explicit TRunAlignment(bool Enabled);

  // Places the file just read, resampling it in place on the run's
  // threads. Raises, naming FileName and the reason, when it cannot be
  // aligned.
  TPlacement Place(TExposure& Exposure, const std::string& FileName);
  // The part of the Width x Height result that every placed file covers;
  // what the alignment held is given back.
  TCropRect Finish(int Width, int Height);

private:
  void Resample(TExposure& Exposure, const TTransform& Transform);

  bool FFirst = true;
  // Shares work in small parts that idle workers claim one by one, so that
  // a core a reader gives back joins in at once.
  const TSplit FSplit;
  std::unique_ptr<TAligner> FAligner;
  std::vector<TTransform> FTransforms;
  // The buffers the resampled picture is written to; they then change
  // places with the file's own, which serve the next channel or file.
  TBitmap24 FBitmap;
  TPlane16 FPlane;
};
