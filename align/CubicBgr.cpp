#include "CubicBgr.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int FractionBits = 5;
constexpr int Fractions = 1 << FractionBits;
// The vertical weights sum to this exactly, so that flat areas stay flat.
constexpr int WeightOne = 1 << 11;
// Keys' cubic with the sharpness most resamplers use.
constexpr double Sharpness = -0.75;
// Coordinates beyond this are far outside every picture.
constexpr double Far = 1 << 24;

struct TWeights {
  std::array<std::array<int16_t, 4>, Fractions> Vertical;
  std::array<std::array<float, 4>, Fractions> Horizontal;
};

const TWeights& Weights() {
  static const TWeights Table = [] {
    TWeights Result{};
    const double A = Sharpness;
    for (int F = 0; F < Fractions; ++F) {
      const double T = F / static_cast<double>(Fractions);
      const double Near = ((A + 2) * T - (A + 3)) * T * T + 1;
      const double U = 1 - T;
      const double Next = ((A + 2) * U - (A + 3)) * U * U + 1;
      const double Before = ((A * (T + 1) - 5 * A) * (T + 1) + 8 * A) * (T + 1) - 4 * A;
      const double After = 1 - Before - Near - Next;
      const double Real[4] = {Before, Near, Next, After};
      int Sum = 0;
      for (int K = 0; K < 4; ++K) {
        Result.Vertical[F][K] = static_cast<int16_t>(std::lround(Real[K] * WeightOne));
        Sum += Result.Vertical[F][K];
        // The vertical pass leaves its sums WeightOne times too large.
        Result.Horizontal[F][K] = static_cast<float>(Real[K] / WeightOne);
      }
      Result.Vertical[F][1] = static_cast<int16_t>(Result.Vertical[F][1] + WeightOne - Sum);
    }
    return Result;
  }();
  return Table;
}

// One pixel from four rows of four neighbours (12 bytes used of each,
// 16 readable).
inline void Blend(const uint8_t* const Rows[4], const int16_t* Wy, const float* Wx, uint8_t* Out) {
#if defined(__SSE2__)
  const __m128i Zero = _mm_setzero_si128();
  const auto Pair = [](int16_t A, int16_t B) {
    return _mm_set1_epi32(static_cast<int>(
        static_cast<uint16_t>(A) | (static_cast<uint32_t>(static_cast<uint16_t>(B)) << 16)));
  };
  const __m128i Top = Pair(Wy[0], Wy[1]);
  const __m128i Bottom = Pair(Wy[2], Wy[3]);
  __m128i Low[4], High[4];
  for (int R = 0; R < 4; ++R) {
    const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Rows[R]));
    Low[R] = _mm_unpacklo_epi8(Bytes, Zero);
    High[R] = _mm_unpackhi_epi8(Bytes, Zero);
  }
  // Columns summed down: B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3.
  const __m128i V0 = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(Low[0], Low[1]), Top),
                                   _mm_madd_epi16(_mm_unpacklo_epi16(Low[2], Low[3]), Bottom));
  const __m128i V1 = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(Low[0], Low[1]), Top),
                                   _mm_madd_epi16(_mm_unpackhi_epi16(Low[2], Low[3]), Bottom));
  const __m128i V2 = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(High[0], High[1]), Top),
                                   _mm_madd_epi16(_mm_unpacklo_epi16(High[2], High[3]), Bottom));
  const __m128 F0 = _mm_mul_ps(_mm_cvtepi32_ps(V0), _mm_setr_ps(Wx[0], Wx[0], Wx[0], Wx[1]));
  const __m128 F1 = _mm_mul_ps(_mm_cvtepi32_ps(V1), _mm_setr_ps(Wx[1], Wx[1], Wx[2], Wx[2]));
  const __m128 F2 = _mm_mul_ps(_mm_cvtepi32_ps(V2), _mm_setr_ps(Wx[2], Wx[3], Wx[3], Wx[3]));
  // Each column's blue, green, red brought to lanes 0, 1, 2.
  const __m128 C1 = _mm_shuffle_ps(F0, F1, _MM_SHUFFLE(1, 0, 3, 3));
  const __m128 S1 = _mm_shuffle_ps(C1, C1, _MM_SHUFFLE(3, 3, 2, 1));
  const __m128 S2 = _mm_shuffle_ps(F1, F2, _MM_SHUFFLE(0, 0, 3, 2));
  const __m128 S3 = _mm_shuffle_ps(F2, F2, _MM_SHUFFLE(3, 3, 2, 1));
  const __m128 Sum = _mm_add_ps(_mm_add_ps(F0, S1), _mm_add_ps(S2, S3));
  const __m128i Whole = _mm_cvtps_epi32(Sum);
  const __m128i Clamped = _mm_packus_epi16(_mm_packs_epi32(Whole, Zero), Zero);
  const uint32_t Packed = static_cast<uint32_t>(_mm_cvtsi128_si32(Clamped));
  std::memcpy(Out, &Packed, 3);
#else
  float Column[4][3];
  for (int C = 0; C < 4; ++C)
    for (int Channel = 0; Channel < 3; ++Channel) {
      int Down = 0;
      for (int R = 0; R < 4; ++R)
        Down += Wy[R] * Rows[R][3 * C + Channel];
      Column[C][Channel] = static_cast<float>(Down) * Wx[C];
    }
  for (int Channel = 0; Channel < 3; ++Channel) {
    const float Sum =
        (Column[0][Channel] + Column[1][Channel]) + (Column[2][Channel] + Column[3][Channel]);
    Out[Channel] = static_cast<uint8_t>(std::clamp(std::nearbyint(Sum), 0.0F, 255.0F));
  }
#endif
}

// A coordinate in 1/32 pixels, rounded to the nearest (halves up) and
// kept far from overflow; without a call to the maths library per pixel.
inline int Fixed(double Coordinate) {
  const double Scaled = std::clamp(Coordinate, -Far, Far) * Fractions + 0.5;
  const int Truncated = static_cast<int>(Scaled);
  return Truncated - (Truncated > Scaled ? 1 : 0);
}

} // namespace

void CubicBgrRows(const double* ToSource, const TBgrPicture& Source, uint8_t* Target,
                  int64_t Stride, int Width, int Y0, int Rows) {
  const TWeights& Table = Weights();
  const double* M = ToSource;
  // Neighbourhoods that reach over an edge are gathered here, the edge
  // repeated (16 readable bytes a row).
  alignas(16) uint8_t Patch[4][16] = {};
  for (int Y = Y0; Y < Y0 + Rows; ++Y) {
    uint8_t* Out = Target + static_cast<int64_t>(Y - Y0) * Stride;
    for (int X = 0; X < Width; ++X, Out += 3) {
      const double Reciprocal = 1 / (M[6] * X + M[7] * Y + M[8]);
      const int Fx = Fixed((M[0] * X + M[1] * Y + M[2]) * Reciprocal);
      const int Fy = Fixed((M[3] * X + M[4] * Y + M[5]) * Reciprocal);
      const int Ix = Fx >> FractionBits;
      const int Iy = Fy >> FractionBits;
      const int16_t* Wy = Table.Vertical[static_cast<size_t>(Fy & (Fractions - 1))].data();
      const float* Wx = Table.Horizontal[static_cast<size_t>(Fx & (Fractions - 1))].data();
      const uint8_t* Neighbours[4];
      // A 16-byte read from the column left of Ix stays inside the row up
      // to Ix = Width - 5.
      if (Ix >= 1 && Ix <= Source.Width - 5 && Iy >= 1 && Iy <= Source.Height - 3) {
        for (int R = 0; R < 4; ++R)
          Neighbours[R] = Source.Bytes + (Iy - 1 + R) * Source.Stride + (Ix - 1) * 3;
      } else {
        for (int R = 0; R < 4; ++R) {
          const uint8_t* Row =
              Source.Bytes + std::clamp(Iy - 1 + R, 0, Source.Height - 1) * Source.Stride;
          for (int C = 0; C < 4; ++C)
            std::memcpy(&Patch[R][3 * C], Row + std::clamp(Ix - 1 + C, 0, Source.Width - 1) * 3, 3);
          Neighbours[R] = Patch[R];
        }
      }
      Blend(Neighbours, Wy, Wx, Out);
    }
  }
}
