#pragma once
// The ICC profile of linear light with sRGB's primaries and white point:
// what a raw run's planes hold, for editors to show them right.
#include <cstdint>
#include <vector>

// The profile's bytes; built once, then shared.
const std::vector<uint8_t>& LinearSrgbProfile();
