#pragma once
// The profile and the camera fields of a written TIFF, read through
// libtiff: the fields of its first directory and of its EXIF directory.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

struct TMetaProbe {
  std::vector<uint8_t> IccProfile;
  // Each field present among those a result may carry and those it must
  // not (exposure time and bias, maker note, GPS), by tag: texts as they
  // are, numbers printed as by std::to_string, others as "present".
  std::map<uint32_t, std::string> Fields;
};

// Throws std::runtime_error when the file cannot be opened.
TMetaProbe ProbeMeta(const std::string& FileName);
