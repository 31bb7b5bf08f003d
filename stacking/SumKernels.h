#pragma once
// The conversions of one file's samples into the sums, row by row. Each
// sum gets one IEEE addition of the exact sample, so every version of a
// loop (plain, SSE2, AVX2) gives the same bytes.
#include <cstdint>

enum class TSumMode : uint8_t {
  Add,   // sum += sample
  Store, // sum = sample: the first file, into sums that are all zero
};

// Blue, green, red bytes of Count pixels into three rows of sums.
void SumBgr(const uint8_t* Row, float* Red, float* Green, float* Blue, int Count, TSumMode Mode);
// Red, green, blue 16-bit samples of Count pixels, as a TIFF stores them
// interleaved, into three rows of sums.
void SumRgb16(const uint16_t* Row, float* Red, float* Green, float* Blue, int Count, TSumMode Mode);
// Count 16-bit samples into a row of sums.
void SumPlane16(const uint16_t* Samples, float* Sums, int Count, TSumMode Mode);

// The sums' way out: Count pixels of three rows of sums, each sum times
// Scale, the exact product truncated toward zero and its low 8 or 16 bits
// kept, written interleaved in the order the rows are given.
void ScaleRow16(const float* First, const float* Second, const float* Third, float Scale,
                uint16_t* Out, int Count);
void ScaleRow8(const float* First, const float* Second, const float* Third, float Scale,
               uint8_t* Out, int Count);

namespace detail {
// The versions of SumBgr and SumRgb16, so that each can be checked on any machine
// that can run it; both take the widest the machine has.
enum class TSumPath : uint8_t { Plain, Sse2, Avx2 };
bool CanSumAlong(TSumPath Path);
void SumBgrAlong(TSumPath Path, const uint8_t* Row, float* Red, float* Green, float* Blue,
                 int Count, TSumMode Mode);
void SumRgb16Along(TSumPath Path, const uint16_t* Row, float* Red, float* Green, float* Blue,
                   int Count, TSumMode Mode);
} // namespace detail
