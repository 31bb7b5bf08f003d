#pragma once
// A run adds either camera raw files, in linear light, or JPEG and TIFF
// files, tone-mapped: the two do not add up to anything meaningful.
#include "ExposureAccumulator.h"

#include <cstdint>
#include <string>
#include <vector>

// True when the run's files are raw files. The first readable file of a
// known kind decides; a readable file of the other kind is refused by
// name before anything is read. Files the run passes over (unreadable)
// or ends at (unknown extension) do not decide.
bool IsRawRun(const std::vector<std::string>& Files);

// Row Y of the sums as a preview through sRGB's tone curve, for the linear
// sums of a raw run: Scale brings the largest sum to 65535.
void RenderLinearPreviewRow(const TExposureAccumulator& Sums, int Y, float Scale, uint8_t* Row);
