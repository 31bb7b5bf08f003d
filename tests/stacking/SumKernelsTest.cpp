// Every version of the byte rows' conversion gives the sums of the plain
// rule: blue, green, red bytes, each one IEEE addition (or, for the first
// file, the byte itself), at every row length around the vectors' widths.
#include "SumKernels.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using detail::TSumPath;

TEST(SumKernels, EveryPathGivesThePlainSumsAtEveryLength) {
  for (const TSumPath Path : {TSumPath::Plain, TSumPath::Sse2, TSumPath::Avx2}) {
    if (!detail::CanSumAlong(Path))
      continue;
    for (const int Count : {0, 1, 15, 16, 17, 31, 32, 33, 47, 100}) {
      const size_t N = static_cast<size_t>(Count);
      std::vector<uint8_t> Row(3 * N);
      for (size_t I = 0; I < Row.size(); ++I)
        Row[I] = static_cast<uint8_t>(I * 37 + 11);
      // Sums at 2^24 and above, where odd bytes round: any other order or
      // width of the arithmetic would show.
      std::vector<float> Planes[3];
      for (size_t C = 0; C < 3; ++C)
        for (size_t X = 0; X < N; ++X)
          Planes[C].push_back(16777216.0F + 2.0F * static_cast<float>(X % 5) + (C == 1 ? 0.5F : 0));
      for (const TSumMode Mode : {TSumMode::Add, TSumMode::Store}) {
        std::vector<float> Red = Planes[0], Green = Planes[1], Blue = Planes[2];
        detail::SumBgrAlong(Path, Row.data(), Red.data(), Green.data(), Blue.data(), Count, Mode);
        for (size_t X = 0; X < N; ++X) {
          const bool Store = Mode == TSumMode::Store;
          const float B = Row[3 * X], G = Row[3 * X + 1], R = Row[3 * X + 2];
          ASSERT_EQ(Blue[X], Store ? B : Planes[2][X] + B) << static_cast<int>(Path) << " " << X;
          ASSERT_EQ(Green[X], Store ? G : Planes[1][X] + G) << static_cast<int>(Path) << " " << X;
          ASSERT_EQ(Red[X], Store ? R : Planes[0][X] + R) << static_cast<int>(Path) << " " << X;
        }
      }
    }
  }
}

} // namespace
