#pragma once
// The program's cursor images (resources ":/cursors/<Name>.png", 32 x 32)
// and the pixel each one points with. The artwork tool draws the shapes
// around these points, the Qt platform loads the cursors with them.
#include "VekCursors.h"

#include <array>
#include <iterator>
#include <string_view>

struct TCursorHotSpot {
  std::string_view Name;
  int X;
  int Y;
};

inline constexpr int CursorImageSize = 32;

// Every named cursor with its hot spot, in the order of CursorNames.
inline constexpr std::array<TCursorHotSpot, CursorNames.size()> CursorHotSpots = [] {
  constexpr int Points[][2] = {{2, 2},   {2, 2},   {2, 2},   {16, 16}, {16, 16}, {16, 16}, {16, 16},
                               {16, 16}, {16, 16}, {16, 16}, {16, 16}, {16, 16}, {16, 16}, {5, 27},
                               {16, 29}, {16, 3},  {29, 16}, {3, 16},  {12, 2}};
  static_assert(std::size(Points) == CursorNames.size(), "one hot spot for every cursor");
  std::array<TCursorHotSpot, CursorNames.size()> Spots{};
  for (size_t I = 0; I < Spots.size(); ++I)
    Spots[I] = {CursorNames[I], Points[I][0], Points[I][1]};
  return Spots;
}();

// The hot spot of a cursor image, or nullptr for an unknown name.
constexpr const TCursorHotSpot* FindCursorHotSpot(std::string_view Name) {
  for (const TCursorHotSpot& Spot : CursorHotSpots) {
    if (Spot.Name == Name) {
      return &Spot;
    }
  }
  return nullptr;
}
