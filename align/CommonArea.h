#pragma once
// The part of the first picture's grid that every aligned picture covers.
#include "Alignment.h"

#include <vector>

// The largest axis-aligned rectangle of the first picture's pixels (Width
// x Height) whose every pixel centre lies inside every transformed
// picture, each picture taken to span its pixel centres from 0 to its
// size - 1. Pictures share the first one's size.
TCropRect CommonArea(int Width, int Height, const std::vector<TTransform>& Transforms);
