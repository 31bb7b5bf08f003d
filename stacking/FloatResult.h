#pragma once
// The result as 32-bit float samples: each sum divided by the largest, so
// the brightest sample is exactly 1.0, saved by the same durable replace.
#include "Alignment.h"
#include "AsSaveTiff16Unit.h"
#include "ExposureAccumulator.h"

#include <string>

// Result gives the size, layout, compression and what travels along;
// Crop is the part of the sums written; Threads scale a band at once.
void SaveFloatResult(const TExposureAccumulator& Sums, const std::string& FileName,
                     const TTiffResult& Result, const TCropRect& Crop, int Threads);
