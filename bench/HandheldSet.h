#pragma once
// The benchmark's hand-held bracket of a Width x Height picture: 0, -1.7
// and +1.3 EV, the second and third turned by 0.7 and -0.45 degrees,
// shifted by about 1.2 % of the width, scaled and tilted slightly.
#include "HandheldBracket.h"

#include <vector>

inline std::vector<TShot> HandheldSet(int Width, int Height) {
  const double Shift = Width * 0.0125;
  return {
      {NoMove, 0},
      {HandheldMove(Width, Height, 0.7, Shift, -0.8 * Shift, 1.004, 0.01, -0.005), -1.7},
      {HandheldMove(Width, Height, -0.45, -0.9 * Shift, 1.1 * Shift, 0.996, -0.005, 0.01), 1.3}};
}

// Its scene.
inline THandheldScene HandheldSetScene() {
  return THandheldScene(1);
}
