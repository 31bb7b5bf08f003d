#pragma once
// What the fuzz targets share: a scratch folder for the process, inputs
// written into it as files, a memory budget for declared image sizes, and
// a report handler that turns any failure the framework swallows into a
// crash the fuzzer sees.
#include <cstddef>
#include <cstdint>
#include <string>

namespace detail {

// Images above this many pixels are valid but cost memory, not coverage:
// the targets skip inputs whose header declares more.
inline constexpr uint64_t MaxFuzzPixels = uint64_t{1} << 20;

// The process's scratch folder, created on first use, removed at exit.
const std::string& FuzzFolder();

// Writes Size bytes at Data to Name in the scratch folder; the full path.
std::string WriteFuzzFile(const std::string& Name, const uint8_t* Data, size_t Size);

// Whether the JPEG header at Data declares at most MaxFuzzPixels (also true
// when libjpeg refuses the header: that failure is worth running).
bool JpegFitsBudget(const uint8_t* Data, size_t Size);

// The same for the first image of a TIFF file, its tiles included.
bool TiffFitsBudget(const std::string& FileName);

// Installs a report handler that prints the report and aborts: the text
// functions catch their own failures, and any failure on plain text is a
// fault the fuzzer must see.
void AbortOnReport();

// Aborts with Why when Condition does not hold; a property violation.
void Require(bool Condition, const char* Why);

} // namespace detail
