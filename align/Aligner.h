#pragma once
// Estimates where a picture lies on the first picture's grid: features of
// grey proxies matched and fitted with outliers rejected (a homography, or
// an affine, similarity or shift where the data support no more), then
// refined to a fraction of a pixel by matching small windows at full
// resolution. The proxies are made so that exposures a few stops apart,
// clipped highlights and blocked shadows do not mislead the matching.
#include "Alignment.h"

#include <memory>

class TAligner {
public:
  explicit TAligner(TSplit Split);
  ~TAligner();
  TAligner(const TAligner&) = delete;
  TAligner& operator=(const TAligner&) = delete;

  // The picture every later one is aligned to.
  void SetReference(const TPictureSamples& First);
  // Where Picture (of the first one's size) lies on the first one's grid.
  // Raises EAlignRefused when the data support no plausible transform.
  TPlacement Estimate(const TPictureSamples& Picture);

  // Pixels a transform may move a point and still leave the picture as
  // read.
  static constexpr double StillLimit = 0.1;

  struct TState;

private:
  std::unique_ptr<TState> FState;
};
