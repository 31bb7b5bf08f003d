#include "ExposureAccumulator.h"

#include "VekMemory.h"

#include <algorithm>

namespace {

// The exact product of sum and scale, truncated toward zero; the caller
// keeps the low 8 or 16 bits.
inline int32_t Scaled(float Sum, float Scale) {
  return static_cast<int32_t>(static_cast<double>(Sum) * static_cast<double>(Scale));
}

std::unique_ptr<float[]> ZeroedPlane(int64_t Count) {
  auto Plane = AllocArray<float>(Count);
  std::fill_n(Plane.get(), Count, 0.0f);
  return Plane;
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
  RedSum = ZeroedPlane(PixelCount());
  GreenSum = ZeroedPlane(PixelCount());
  BlueSum = ZeroedPlane(PixelCount());
  Allocated = true;
}

void TExposureAccumulator::AddBgrRow(int Y, const uint8_t* Row) {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  float* Red = RedSum.get() + First;
  float* Green = GreenSum.get() + First;
  float* Blue = BlueSum.get() + First;
  for (int X = 0; X < Width; ++X) {
    Blue[X] += Row[3 * X];
    Green[X] += Row[3 * X + 1];
    Red[X] += Row[3 * X + 2];
  }
}

void TExposureAccumulator::AddPlanes16(const uint16_t* Red, const uint16_t* Green,
                                       const uint16_t* Blue) {
  const int64_t Count = PixelCount();
  for (int64_t I = 0; I < Count; ++I)
    RedSum[I] += Red[I];
  for (int64_t I = 0; I < Count; ++I)
    GreenSum[I] += Green[I];
  for (int64_t I = 0; I < Count; ++I)
    BlueSum[I] += Blue[I];
}

float TExposureAccumulator::UpdateMaximum() {
  // Sums are never NaN, so the running maximum of each plane taken apart
  // equals the strict comparison over the interleaved sequence.
  const int64_t Count = PixelCount();
  float Result = 0;
  for (const float* Plane : {RedSum.get(), GreenSum.get(), BlueSum.get()})
    for (int64_t I = 0; I < Count; ++I)
      Result = Plane[I] > Result ? Plane[I] : Result;
  Maximum = Result;
  return Maximum;
}

float TExposureAccumulator::ScaleFor(float Target) {
  if (!(Maximum >= 1))
    Maximum = 1;
  return Target / Maximum;
}

void TExposureAccumulator::RenderPreviewRow(int Y, float Scale, uint8_t* Row) const {
  const int64_t First = static_cast<int64_t>(Y) * Width;
  const float* Red = RedSum.get() + First;
  const float* Green = GreenSum.get() + First;
  const float* Blue = BlueSum.get() + First;
  for (int X = 0; X < Width; ++X) {
    Row[3 * X] = static_cast<uint8_t>(Scaled(Blue[X], Scale));
    Row[3 * X + 1] = static_cast<uint8_t>(Scaled(Green[X], Scale));
    Row[3 * X + 2] = static_cast<uint8_t>(Scaled(Red[X], Scale));
  }
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

void TExposureAccumulator::Release() {
  RedSum.reset();
  GreenSum.reset();
  BlueSum.reset();
}
