#pragma once
// The grey picture alignment works on: 16 bits per pixel, brightness on
// a gamma scale (so that a change of exposure is nearly a change of
// contrast), 0 where the picture is blocked and 65535 where any channel is
// clipped, so that neither is mistaken for structure.
#include "Alignment.h"

#include <opencv2/core.hpp>

inline constexpr uint16_t Blocked = 0;
inline constexpr uint16_t Clipped = 65535;

cv::Mat MakeGreyProxy(const TPictureSamples& Picture, const TSplit& Split);
