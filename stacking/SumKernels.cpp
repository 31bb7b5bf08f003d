#include "SumKernels.h"

#if defined(__x86_64__) && defined(__SSE2__)
#define VELMORA_X86 1
#include <immintrin.h>
#endif

// The 16-bit loops are left to the compiler's vectoriser, at least at the
// cost model -O3 uses; machines with AVX2 get a wider version, picked when
// the program starts. Not under ThreadSanitizer, whose instrumented picker
// would run before the sanitizer is set up and crash the program at its
// start.
#if defined(VELMORA_X86) && defined(__GNUC__) && !defined(__clang__) &&                            \
    !defined(__SANITIZE_THREAD__)
#define VELMORA_WIDE_LOOP                                                                          \
  __attribute__((target_clones("avx2", "default"), optimize("vect-cost-model=dynamic")))
#else
#define VELMORA_WIDE_LOOP
#endif

namespace {

using detail::TSumPath;

template <bool Store> inline void Put(float& Sum, float Sample) {
  Sum = Store ? Sample : Sum + Sample;
}

template <bool Store>
void PlainBgr(const uint8_t* Row, float* Red, float* Green, float* Blue, int From, int Count) {
  for (int X = From; X < Count; ++X) {
    Put<Store>(Blue[X], Row[3 * X]);
    Put<Store>(Green[X], Row[3 * X + 1]);
    Put<Store>(Red[X], Row[3 * X + 2]);
  }
}

#if defined(VELMORA_X86)

template <bool Store> inline void Put4(float* Sum, __m128 Samples) {
  _mm_storeu_ps(Sum, Store ? Samples : _mm_add_ps(_mm_loadu_ps(Sum), Samples));
}

// 16 pixels at a time: the 48 bytes widened to floats in file order, then
// each three vectors of four pixels (b0 g0 r0 b1, g1 r1 b2 g2, r2 b3 g3
// r3) sorted into blue, green and red by shuffles.
template <bool Store>
void Sse2Bgr(const uint8_t* Row, float* Red, float* Green, float* Blue, int Count) {
  const __m128i Zero = _mm_setzero_si128();
  int X = 0;
  for (; X + 16 <= Count; X += 16) {
    __m128 F[12];
    for (int K = 0; K < 3; ++K) {
      const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + 3 * X + 16 * K));
      const __m128i Lo = _mm_unpacklo_epi8(Bytes, Zero);
      const __m128i Hi = _mm_unpackhi_epi8(Bytes, Zero);
      F[4 * K] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(Lo, Zero));
      F[4 * K + 1] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(Lo, Zero));
      F[4 * K + 2] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(Hi, Zero));
      F[4 * K + 3] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(Hi, Zero));
    }
    for (int G = 0; G < 4; ++G) {
      const __m128 V0 = F[3 * G], V1 = F[3 * G + 1], V2 = F[3 * G + 2];
      const __m128 B = _mm_shuffle_ps(V0, _mm_shuffle_ps(V1, V2, _MM_SHUFFLE(0, 1, 0, 2)),
                                      _MM_SHUFFLE(2, 0, 3, 0));
      const __m128 Gr =
          _mm_shuffle_ps(_mm_shuffle_ps(V0, V1, _MM_SHUFFLE(0, 0, 0, 1)),
                         _mm_shuffle_ps(V1, V2, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
      const __m128 R = _mm_shuffle_ps(_mm_shuffle_ps(V0, V1, _MM_SHUFFLE(1, 1, 2, 2)), V2,
                                      _MM_SHUFFLE(3, 0, 2, 0));
      Put4<Store>(Blue + X + 4 * G, B);
      Put4<Store>(Green + X + 4 * G, Gr);
      Put4<Store>(Red + X + 4 * G, R);
    }
  }
  PlainBgr<Store>(Row, Red, Green, Blue, X, Count);
}

// The byte picks of channel Channel (0 blue, 1 green, 2 red) of 16 pixels
// out of the 16-byte piece Piece of their 48 bytes; 0x80 picks a zero.
__attribute__((target("avx2"))) __m128i Pick(int Channel, int Piece) {
  alignas(16) uint8_t Mask[16];
  for (int I = 0; I < 16; ++I) {
    const int At = 3 * I + Channel - 16 * Piece;
    Mask[I] = At >= 0 && At < 16 ? static_cast<uint8_t>(At) : 0x80;
  }
  return _mm_load_si128(reinterpret_cast<const __m128i*>(Mask));
}

template <bool Store> __attribute__((target("avx2"))) inline void Put8(float* Sum, __m128i Bytes) {
  const __m256 Samples = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Bytes));
  _mm256_storeu_ps(Sum, Store ? Samples : _mm256_add_ps(_mm256_loadu_ps(Sum), Samples));
}

// 16 pixels at a time: each channel's 16 bytes picked out of the 48 by
// byte shuffles, then widened to floats 8 at a time.
template <bool Store>
__attribute__((target("avx2"))) void Avx2Bgr(const uint8_t* Row, float* Red, float* Green,
                                             float* Blue, int Count) {
  __m128i Masks[3][3];
  for (int C = 0; C < 3; ++C)
    for (int P = 0; P < 3; ++P)
      Masks[C][P] = Pick(C, P);
  float* const Planes[3] = {Blue, Green, Red};
  int X = 0;
  for (; X + 16 <= Count; X += 16) {
    const __m128i* Bytes = reinterpret_cast<const __m128i*>(Row + 3 * X);
    const __m128i P0 = _mm_loadu_si128(Bytes);
    const __m128i P1 = _mm_loadu_si128(Bytes + 1);
    const __m128i P2 = _mm_loadu_si128(Bytes + 2);
    for (int C = 0; C < 3; ++C) {
      const __m128i Channel = _mm_or_si128(
          _mm_or_si128(_mm_shuffle_epi8(P0, Masks[C][0]), _mm_shuffle_epi8(P1, Masks[C][1])),
          _mm_shuffle_epi8(P2, Masks[C][2]));
      Put8<Store>(Planes[C] + X, Channel);
      Put8<Store>(Planes[C] + X + 8, _mm_srli_si128(Channel, 8));
    }
  }
  PlainBgr<Store>(Row, Red, Green, Blue, X, Count);
}

#endif

template <bool Store>
void BgrAlong(TSumPath Path, const uint8_t* Row, float* Red, float* Green, float* Blue, int Count) {
#if defined(VELMORA_X86)
  if (Path == TSumPath::Avx2)
    return Avx2Bgr<Store>(Row, Red, Green, Blue, Count);
  if (Path == TSumPath::Sse2)
    return Sse2Bgr<Store>(Row, Red, Green, Blue, Count);
#endif
  PlainBgr<Store>(Row, Red, Green, Blue, 0, Count);
}

TSumPath WidestPath() {
  static const TSumPath Widest = [] {
#if defined(VELMORA_X86)
    return __builtin_cpu_supports("avx2") ? TSumPath::Avx2 : TSumPath::Sse2;
#else
    return TSumPath::Plain;
#endif
  }();
  return Widest;
}

VELMORA_WIDE_LOOP
void AddPlane16(const uint16_t* __restrict Samples, float* __restrict Sums, int Count) {
  for (int X = 0; X < Count; ++X)
    Sums[X] += Samples[X];
}

VELMORA_WIDE_LOOP
void StorePlane16(const uint16_t* __restrict Samples, float* __restrict Sums, int Count) {
  for (int X = 0; X < Count; ++X)
    Sums[X] = Samples[X];
}

} // namespace

namespace detail {

bool CanSumAlong(TSumPath Path) {
  return static_cast<int>(Path) <= static_cast<int>(WidestPath());
}

void SumBgrAlong(TSumPath Path, const uint8_t* Row, float* Red, float* Green, float* Blue,
                 int Count, TSumMode Mode) {
  if (Mode == TSumMode::Store)
    BgrAlong<true>(Path, Row, Red, Green, Blue, Count);
  else
    BgrAlong<false>(Path, Row, Red, Green, Blue, Count);
}

} // namespace detail

void SumBgr(const uint8_t* Row, float* Red, float* Green, float* Blue, int Count, TSumMode Mode) {
  detail::SumBgrAlong(WidestPath(), Row, Red, Green, Blue, Count, Mode);
}

void SumPlane16(const uint16_t* Samples, float* Sums, int Count, TSumMode Mode) {
  if (Mode == TSumMode::Store)
    StorePlane16(Samples, Sums, Count);
  else
    AddPlane16(Samples, Sums, Count);
}
