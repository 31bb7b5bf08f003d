#include "ExposureAccumulator.h"

#include "SumKernels.h"
#include "VekLargeBlock.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The exact product of sum and scale, truncated toward zero; the caller
// keeps the low 8 or 16 bits.
inline int32_t Scaled(float Sum, float Scale) {
  return static_cast<int32_t>(static_cast<double>(Sum) * static_cast<double>(Scale));
}

// The largest of Count sums, starting from Result, by the strict
// comparison "element > running maximum". maxps(a, b) is exactly
// "a > b ? a : b" in each lane, so the lanes follow the scalar rule; sums
// are never NaN, so combining the lanes at the end gives the same value.
float PlaneMaximum(const float* Plane, int64_t Count, float Result) {
  int64_t I = 0;
#if defined(__SSE2__)
  __m128 M0 = _mm_set1_ps(Result), M1 = M0, M2 = M0, M3 = M0;
  for (; I + 16 <= Count; I += 16) {
    M0 = _mm_max_ps(_mm_loadu_ps(Plane + I), M0);
    M1 = _mm_max_ps(_mm_loadu_ps(Plane + I + 4), M1);
    M2 = _mm_max_ps(_mm_loadu_ps(Plane + I + 8), M2);
    M3 = _mm_max_ps(_mm_loadu_ps(Plane + I + 12), M3);
  }
  alignas(16) float Lanes[16];
  _mm_store_ps(Lanes, M0);
  _mm_store_ps(Lanes + 4, M1);
  _mm_store_ps(Lanes + 8, M2);
  _mm_store_ps(Lanes + 12, M3);
  for (float Lane : Lanes)
    Result = Lane > Result ? Lane : Result;
#endif
  for (; I < Count; ++I)
    Result = Plane[I] > Result ? Plane[I] : Result;
  return Result;
}

} // namespace

void TExposureAccumulator::Allocate(int NewWidth, int NewHeight) {
  if (Allocated)
    return;
  Height = NewHeight;
  Width = NewWidth;
  // One plane must fit a block of a 32-bit signed byte count.
  if (Width < 0 || Height < 0 || CheckedBlockBytes(PixelCount(), sizeof(float)) < 0)
    throw EOutOfMemory();
  // Large blocks come zero-filled; their pages are touched first by the
  // first addition rather than by a separate pass.
  RedSum = AllocLargeArray<float>(PixelCount());
  GreenSum = AllocLargeArray<float>(PixelCount());
  BlueSum = AllocLargeArray<float>(PixelCount());
  Allocated = true;
}

void TExposureAccumulator::AddBgrRow(int Y, const uint8_t* Row, TSumMode Mode) {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  SumBgr(Row, RedSum.get() + First, GreenSum.get() + First, BlueSum.get() + First, Width, Mode);
}

void TExposureAccumulator::AddPlanes16(const uint16_t* Red, const uint16_t* Green,
                                       const uint16_t* Blue) {
  const TSamples16 Planes{{Red, Green, Blue}, 1};
  for (int Y = 0; Y < Height; ++Y)
    AddSamples16Row(Y, Planes);
}

void TExposureAccumulator::AddRgb16Row(int Y, const uint16_t* Row, TSumMode Mode) {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  SumRgb16(Row, RedSum.get() + First, GreenSum.get() + First, BlueSum.get() + First, Width, Mode);
}

void TExposureAccumulator::AddSamples16Row(int Y, const TSamples16& Samples, TSumMode Mode) {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  float* const Sums[3] = {RedSum.get() + First, GreenSum.get() + First, BlueSum.get() + First};
  if (Samples.Step == 3) {
    AddRgb16Row(Y, Samples.Channel[0] + 3 * First, Mode);
    return;
  }
  for (int C = 0; C < 3; ++C)
    SumPlane16(Samples.Channel[C] + First, Sums[C], Width, Mode);
}

float TExposureAccumulator::UpdateMaximum() {
  // Sums are never NaN, so the running maximum of each plane taken apart
  // equals the strict comparison over the interleaved sequence.
  const int64_t Count = PixelCount();
  float Result = 0;
  for (const float* Plane : {RedSum.get(), GreenSum.get(), BlueSum.get()})
    Result = PlaneMaximum(Plane, Count, Result);
  Maximum = Result;
  return Maximum;
}

float TExposureAccumulator::RowMaximum(int Y, float Result) const {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  for (const float* Plane : {RedSum.get(), GreenSum.get(), BlueSum.get()})
    Result = PlaneMaximum(Plane + First, Width, Result);
  return Result;
}

float TExposureAccumulator::ScaleFor(float Target) {
  if (!(Maximum >= 1))
    Maximum = 1;
  return Target / Maximum;
}

void TExposureAccumulator::RenderPreviewRow(int Y, float Scale, uint8_t* Row) const {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  ScaleRow8(BlueSum.get() + First, GreenSum.get() + First, RedSum.get() + First, Scale, Row, Width);
}

void TExposureAccumulator::ExportPlanes16(float Scale, uint16_t* Red, uint16_t* Green,
                                          uint16_t* Blue) const {
  const int64_t Count = PixelCount();
  for (int64_t I = 0; I < Count; ++I) {
    Red[I] = static_cast<uint16_t>(Scaled(RedSum[I], Scale));
    Green[I] = static_cast<uint16_t>(Scaled(GreenSum[I], Scale));
    Blue[I] = static_cast<uint16_t>(Scaled(BlueSum[I], Scale));
  }
}

void TExposureAccumulator::ExportTile16(float Scale, int X0, int Y0, int Cols, int Rows,
                                        uint16_t* Tile, size_t Stride) const {
  for (int R = 0; R < Rows; ++R) {
    const int64_t First = static_cast<int64_t>(Y0 + R) * Width + X0;
    ScaleRow16(RedSum.get() + First, GreenSum.get() + First, BlueSum.get() + First, Scale,
               Tile + R * Stride, Cols);
  }
}

void TExposureAccumulator::Release() {
  RedSum.reset();
  GreenSum.reset();
  BlueSum.reset();
}
