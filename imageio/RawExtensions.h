#pragma once
// The extensions of the camera raw files the raw reader takes, lower case
// with their dot; a file name matches in any letter case.
#include <array>
#include <string_view>

inline constexpr std::array<std::string_view, 27> RawExtensions = {
    ".dng", ".cr2", ".cr3", ".crw", ".nef", ".nrw", ".arw", ".srf", ".sr2",
    ".orf", ".rw2", ".raf", ".pef", ".srw", ".3fr", ".iiq", ".mrw", ".x3f",
    ".erf", ".kdc", ".dcr", ".mos", ".rwl", ".mef", ".raw", ".rwz", ".fff"};
