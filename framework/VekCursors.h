#pragma once
// The program's named cursors: the application object loads the first
// LoadedCursorCount of them, with ids from FirstCursorId on in this order;
// "CR_HANDPOINT" is among the program's images but not loaded.
#include <array>
#include <cstddef>
#include <string_view>

inline constexpr int FirstCursorId = 6900;
inline constexpr size_t LoadedCursorCount = 18;

inline constexpr std::array<std::string_view, 19> CursorNames = {
    "CR_NORMAL",    "CR_NORMALHIDE", "CR_NORMALSHOW", "CR_RANGE_UP",  "CR_RANGE_DOWN",
    "CR_MOVE",      "CR_MOVE_NS",    "CR_MOVE_WE",    "CR_MOVE_NWSE", "CR_MOVE_NESW",
    "CR_CROSSHAIR", "CR_HANDOPEN",   "CR_HANDCLOSED", "CR_ERASE",     "CR_ARROW_NS",
    "CR_ARROW_SN",  "CR_ARROW_WE",   "CR_ARROW_EW",   "CR_HANDPOINT"};
