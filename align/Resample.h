#pragma once
// A picture resampled onto the first picture's grid, bicubic, its values
// clamped to the sample type's range. The result is the same at any
// number of threads.
#include "Alignment.h"

#include <cstdint>

// Rows of blue, green, red bytes; Target has Source's size.
void ResampleBgr(const TTransform& Transform, int Width, int Height, const uint8_t* Source,
                 int64_t SourceStride, uint8_t* Target, int64_t TargetStride, const TSplit& Split);
// One plane of 16-bit samples.
void ResamplePlane16(const TTransform& Transform, int Width, int Height, const uint16_t* Source,
                     uint16_t* Target, const TSplit& Split);
