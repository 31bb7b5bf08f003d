#pragma once
// The program's cursor images (resources ":/cursors/<Name>.png", 32 x 32)
// and the pixel each one points with. The artwork tool draws the shapes
// around these points, the Qt platform loads the cursors with them.
#include <array>
#include <string_view>

struct TCursorHotSpot {
  std::string_view Name;
  int X;
  int Y;
};

inline constexpr int CursorImageSize = 32;

inline constexpr std::array<TCursorHotSpot, 19> CursorHotSpots{{
    {"CR_NORMAL", 2, 2},       {"CR_NORMALHIDE", 2, 2},   {"CR_NORMALSHOW", 2, 2},
    {"CR_RANGE_UP", 16, 16},   {"CR_RANGE_DOWN", 16, 16}, {"CR_MOVE", 16, 16},
    {"CR_MOVE_NS", 16, 16},    {"CR_MOVE_WE", 16, 16},    {"CR_MOVE_NWSE", 16, 16},
    {"CR_MOVE_NESW", 16, 16},  {"CR_CROSSHAIR", 16, 16},  {"CR_HANDOPEN", 16, 16},
    {"CR_HANDCLOSED", 16, 16}, {"CR_ERASE", 5, 27},       {"CR_ARROW_NS", 16, 29},
    {"CR_ARROW_SN", 16, 3},    {"CR_ARROW_WE", 29, 16},   {"CR_ARROW_EW", 3, 16},
    {"CR_HANDPOINT", 12, 2},
}};

// The hot spot of a cursor image, or nullptr for an unknown name.
constexpr const TCursorHotSpot* FindCursorHotSpot(std::string_view Name) {
  for (const TCursorHotSpot& Spot : CursorHotSpots) {
    if (Spot.Name == Name) {
      return &Spot;
    }
  }
  return nullptr;
}
