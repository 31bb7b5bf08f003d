#include "ExpectedStack.h"

#include <algorithm>
#include <gtest/gtest.h>

TExpectedStack::TExpectedStack(uint32_t Width, uint32_t Height) : FWidth(Width), FHeight(Height) {
  for (auto& Plane : FSums)
    Plane.assign(size_t{Width} * Height, 0);
}

void TExpectedStack::Add(uint32_t X, uint32_t Y, int Channel, uint32_t Value) {
  FSums[Channel][size_t{Y} * FWidth + X] += Value;
}

void TExpectedStack::Add(const TTiffPicture& Picture) {
  const uint32_t Widen = Picture.BitsPerSample == 8 ? 257 : 1;
  for (uint32_t Y = 0; Y < Picture.Height; ++Y)
    for (uint32_t X = 0; X < Picture.Width; ++X)
      for (int Channel = 0; Channel < 3; ++Channel)
        Add(X, Y, Channel, Picture.At(X, Y, static_cast<uint16_t>(Channel)) * Widen);
}

float TExpectedStack::ScaleTo(float Target) const {
  uint64_t Largest = 1;
  for (const auto& Plane : FSums)
    for (uint64_t Sum : Plane)
      Largest = std::max(Largest, Sum);
  return Target / static_cast<float>(Largest);
}

template <class T> std::array<std::vector<T>, 3> TExpectedStack::Scaled(float Target) const {
  const double Scale = ScaleTo(Target);
  std::array<std::vector<T>, 3> Planes;
  for (int Channel = 0; Channel < 3; ++Channel)
    for (uint64_t Sum : FSums[Channel])
      Planes[Channel].push_back(static_cast<T>(static_cast<double>(Sum) * Scale));
  return Planes;
}

std::array<std::vector<uint16_t>, 3> TExpectedStack::Output() const {
  return Scaled<uint16_t>(65535);
}

std::array<std::vector<uint8_t>, 3> TExpectedStack::Preview() const {
  return Scaled<uint8_t>(255);
}

void TExpectedStack::ExpectWritten(const TTiffProbe& Probe) const {
  ASSERT_EQ(Probe.Width, FWidth);
  ASSERT_EQ(Probe.Height, FHeight);
  const auto Planes = Output();
  EXPECT_EQ(Probe.Red, Planes[0]);
  EXPECT_EQ(Probe.Green, Planes[1]);
  EXPECT_EQ(Probe.Blue, Planes[2]);
}
