// Every version of the interleaved rows' conversions gives the sums of the
// plain rule: blue, green, red bytes or red, green, blue 16-bit samples,
// each one IEEE addition (or, for the first file, the sample itself), at
// every row length around the vectors' widths.
#include "SumKernels.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

using detail::TSumPath;

// Samples of Count pixels, in file order, and the channel (0 red, 1 green,
// 2 blue) each of the three places holds.
template <class T> struct TRowKind {
  void (*Sum)(TSumPath, const T*, float*, float*, float*, int, TSumMode);
  int Channel[3];
  unsigned Factor;
};

template <class T> void CheckEveryPath(const TRowKind<T>& Kind) {
  for (const TSumPath Path : {TSumPath::Plain, TSumPath::Sse2, TSumPath::Avx2}) {
    if (!detail::CanSumAlong(Path))
      continue;
    for (const int Count : {0, 1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 47, 100}) {
      const size_t N = static_cast<size_t>(Count);
      std::vector<T> Row(3 * N);
      for (size_t I = 0; I < Row.size(); ++I)
        Row[I] = static_cast<T>(I * Kind.Factor + 11);
      // Sums at 2^24 and above, where odd samples round: any other order
      // or width of the arithmetic would show.
      std::vector<float> Planes[3];
      for (size_t C = 0; C < 3; ++C)
        for (size_t X = 0; X < N; ++X)
          Planes[C].push_back(16777216.0F + 2.0F * static_cast<float>(X % 5) + (C == 1 ? 0.5F : 0));
      for (const TSumMode Mode : {TSumMode::Add, TSumMode::Store}) {
        std::vector<float> Sums[3] = {Planes[0], Planes[1], Planes[2]};
        Kind.Sum(Path, Row.data(), Sums[0].data(), Sums[1].data(), Sums[2].data(), Count, Mode);
        for (size_t X = 0; X < N; ++X)
          for (size_t At = 0; At < 3; ++At) {
            const size_t C = static_cast<size_t>(Kind.Channel[At]);
            const float Sample = Row[3 * X + At];
            ASSERT_EQ(Sums[C][X], Mode == TSumMode::Store ? Sample : Planes[C][X] + Sample)
                << static_cast<int>(Path) << " " << sizeof(T) << " " << X << " " << At;
          }
      }
    }
  }
}

TEST(SumKernels, EveryPathGivesThePlainSumsAtEveryLength) {
  CheckEveryPath<uint8_t>({detail::SumBgrAlong, {2, 1, 0}, 37});
  // Samples above 2^15 and odd: a signed widening or a lost low byte shows.
  CheckEveryPath<uint16_t>({detail::SumRgb16Along, {0, 1, 2}, 40503});
}

} // namespace

// The way out keeps the exact product truncated, at every row length:
// products just below and above whole numbers, and sums beyond 2^24,
// show a rounded or single-precision product.
TEST(SumKernels, ScaledRowsTruncateTheExactProduct) {
  const float Scale = 65535.0F / 50331647.0F;
  for (const int Count : {0, 1, 3, 4, 5, 7, 8, 9, 16, 17, 33, 100}) {
    const size_t N = static_cast<size_t>(Count);
    std::vector<float> Rows[3];
    for (size_t C = 0; C < 3; ++C)
      for (size_t X = 0; X < N; ++X)
        Rows[C].push_back(static_cast<float>((X * 7919 + C * 104729) % 50331648) +
                          (X % 3 == 0 ? 0.5F : 0.0F));
    std::vector<uint16_t> Wide(3 * N);
    std::vector<uint8_t> Narrow(3 * N);
    ScaleRow16(Rows[0].data(), Rows[1].data(), Rows[2].data(), Scale, Wide.data(), Count);
    ScaleRow8(Rows[0].data(), Rows[1].data(), Rows[2].data(), Scale / 257, Narrow.data(), Count);
    for (size_t X = 0; X < N; ++X)
      for (size_t C = 0; C < 3; ++C) {
        const double Sum = Rows[C][X];
        ASSERT_EQ(Wide[3 * X + C], static_cast<uint16_t>(std::trunc(Sum * double{Scale})));
        ASSERT_EQ(Narrow[3 * X + C], static_cast<uint8_t>(std::trunc(Sum * double{Scale / 257})));
      }
  }
}
