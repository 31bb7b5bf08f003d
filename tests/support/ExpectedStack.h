#pragma once
// The result a run must write, worked out from the input samples by the
// rule the program follows, without any of its code: each output sample is
// the sum of the exposures' samples of its pixel and channel, times
// 65535 / (the largest sum of all channels, at least 1) taken as a 32-bit
// float, the exact product truncated. JPEG and 16-bit samples count as
// they are, 8-bit TIFF samples widened to 16 bits (times 257).
#include "TiffMaker.h"
#include "TiffProbe.h"

#include <array>
#include <cstdint>
#include <vector>

class TExpectedStack {
public:
  TExpectedStack(uint32_t Width, uint32_t Height);

  // Adds Value to channel Channel (0 red, 1 green, 2 blue) of pixel X, Y.
  void Add(uint32_t X, uint32_t Y, int Channel, uint32_t Value);
  // Adds every sample of an RGB picture of 8 or 16 bits per sample.
  void Add(const TTiffPicture& Picture);

  // The output planes, red, green and blue.
  std::array<std::vector<uint16_t>, 3> Output() const;
  // The same sums scaled to 255 and truncated: the preview, as red,
  // green and blue planes.
  std::array<std::vector<uint8_t>, 3> Preview() const;

  // Fails the current test unless Probe holds exactly the output.
  void ExpectWritten(const TTiffProbe& Probe) const;

private:
  float ScaleTo(float Target) const;
  // The sums times ScaleTo(Target), each exact product truncated.
  template <class T> std::array<std::vector<T>, 3> Scaled(float Target) const;

  uint32_t FWidth;
  uint32_t FHeight;
  std::array<std::vector<uint64_t>, 3> FSums;
};
