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

// Pixels of three interleaved samples, whose sums are given in the
// samples' order: blue, green, red for a JPEG's rows, red, green, blue
// for a TIFF's.
template <bool Store, class T>
void PlainPixels(const T* Row, float* const Sums[3], int From, int Count) {
  for (int X = From; X < Count; ++X)
    for (int C = 0; C < 3; ++C)
      Put<Store>(Sums[C][X], Row[3 * X + C]);
}

#if defined(VELMORA_X86)

// Both wide paths take 48 bytes at a time: 16 pixels of bytes or 8 of
// 16-bit samples.
template <class T> constexpr int PixelsPer48 = 16 / static_cast<int>(sizeof(T));

template <bool Store> inline void Put4(float* Sum, __m128 Samples) {
  _mm_storeu_ps(Sum, Store ? Samples : _mm_add_ps(_mm_loadu_ps(Sum), Samples));
}

// The 48 bytes at Row widened to floats in the file's order, four a vector.
inline void Widen48(const uint8_t* Row, __m128 F[12]) {
  const __m128i Zero = _mm_setzero_si128();
  for (int K = 0; K < 3; ++K) {
    const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + 16 * K));
    const __m128i Lo = _mm_unpacklo_epi8(Bytes, Zero);
    const __m128i Hi = _mm_unpackhi_epi8(Bytes, Zero);
    F[4 * K] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(Lo, Zero));
    F[4 * K + 1] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(Lo, Zero));
    F[4 * K + 2] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(Hi, Zero));
    F[4 * K + 3] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(Hi, Zero));
  }
}

inline void Widen48(const uint16_t* Row, __m128 F[12]) {
  const __m128i Zero = _mm_setzero_si128();
  for (int K = 0; K < 3; ++K) {
    const __m128i Words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + 8 * K));
    F[2 * K] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(Words, Zero));
    F[2 * K + 1] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(Words, Zero));
  }
}

// 48 bytes at a time, widened to floats in file order; each three vectors
// of four pixels (a0 b0 c0 a1, b1 c1 a2 b2, c2 a3 b3 c3) are sorted into
// the channels by shuffles.
template <bool Store, class T> void Sse2Pixels(const T* Row, float* const Sums[3], int Count) {
  constexpr int Step = PixelsPer48<T>;
  int X = 0;
  for (; X + Step <= Count; X += Step) {
    __m128 F[12];
    Widen48(Row + 3 * X, F);
    for (int G = 0; G < Step / 4; ++G) {
      const __m128 V0 = F[3 * G], V1 = F[3 * G + 1], V2 = F[3 * G + 2];
      const __m128 A = _mm_shuffle_ps(V0, _mm_shuffle_ps(V1, V2, _MM_SHUFFLE(0, 1, 0, 2)),
                                      _MM_SHUFFLE(2, 0, 3, 0));
      const __m128 B =
          _mm_shuffle_ps(_mm_shuffle_ps(V0, V1, _MM_SHUFFLE(0, 0, 0, 1)),
                         _mm_shuffle_ps(V1, V2, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
      const __m128 C = _mm_shuffle_ps(_mm_shuffle_ps(V0, V1, _MM_SHUFFLE(1, 1, 2, 2)), V2,
                                      _MM_SHUFFLE(3, 0, 2, 0));
      Put4<Store>(Sums[0] + X + 4 * G, A);
      Put4<Store>(Sums[1] + X + 4 * G, B);
      Put4<Store>(Sums[2] + X + 4 * G, C);
    }
  }
  PlainPixels<Store>(Row, Sums, X, Count);
}

// The byte picks of channel Channel of the pixels of 48 bytes, samples of
// Size bytes, out of their 16-byte piece Piece; 0x80 picks a zero.
__attribute__((target("avx2"))) __m128i Pick(int Channel, int Piece, int Size) {
  alignas(16) uint8_t Mask[16];
  for (int I = 0; I < 16; ++I) {
    const int At = (3 * (I / Size) + Channel) * Size + I % Size - 16 * Piece;
    Mask[I] = At >= 0 && At < 16 ? static_cast<uint8_t>(At) : 0x80;
  }
  return _mm_load_si128(reinterpret_cast<const __m128i*>(Mask));
}

// The first eight samples of 16 bytes as floats.
template <class T> __attribute__((target("avx2"))) inline __m256 Floats8(__m128i Samples) {
  if constexpr (sizeof(T) == 1)
    return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Samples));
  else
    return _mm256_cvtepi32_ps(_mm256_cvtepu16_epi32(Samples));
}

template <bool Store> __attribute__((target("avx2"))) inline void Put8(float* Sum, __m256 Samples) {
  _mm256_storeu_ps(Sum, Store ? Samples : _mm256_add_ps(_mm256_loadu_ps(Sum), Samples));
}

// 48 bytes at a time: each channel's 16 bytes picked out of them by byte
// shuffles, then widened to floats 8 at a time.
template <bool Store, class T>
__attribute__((target("avx2"))) void Avx2Pixels(const T* Row, float* const Sums[3], int Count) {
  constexpr int Step = PixelsPer48<T>;
  __m128i Masks[3][3];
  for (int C = 0; C < 3; ++C)
    for (int P = 0; P < 3; ++P)
      Masks[C][P] = Pick(C, P, sizeof(T));
  int X = 0;
  for (; X + Step <= Count; X += Step) {
    const __m128i* Bytes = reinterpret_cast<const __m128i*>(Row + 3 * X);
    const __m128i P0 = _mm_loadu_si128(Bytes);
    const __m128i P1 = _mm_loadu_si128(Bytes + 1);
    const __m128i P2 = _mm_loadu_si128(Bytes + 2);
    for (int C = 0; C < 3; ++C) {
      const __m128i Channel = _mm_or_si128(
          _mm_or_si128(_mm_shuffle_epi8(P0, Masks[C][0]), _mm_shuffle_epi8(P1, Masks[C][1])),
          _mm_shuffle_epi8(P2, Masks[C][2]));
      Put8<Store>(Sums[C] + X, Floats8<T>(Channel));
      if constexpr (Step == 16)
        Put8<Store>(Sums[C] + X + 8, Floats8<T>(_mm_srli_si128(Channel, 8)));
    }
  }
  PlainPixels<Store>(Row, Sums, X, Count);
}

#endif

template <bool Store, class T>
void PixelsAlong(TSumPath Path, const T* Row, float* const Sums[3], int Count) {
#if defined(VELMORA_X86)
  if (Path == TSumPath::Avx2)
    return Avx2Pixels<Store>(Row, Sums, Count);
  if (Path == TSumPath::Sse2)
    return Sse2Pixels<Store>(Row, Sums, Count);
#endif
  PlainPixels<Store>(Row, Sums, 0, Count);
}

template <class T>
void SumPixelsAlong(TSumPath Path, const T* Row, float* const Sums[3], int Count, TSumMode Mode) {
  if (Mode == TSumMode::Store)
    PixelsAlong<true>(Path, Row, Sums, Count);
  else
    PixelsAlong<false>(Path, Row, Sums, Count);
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

// The product of a float sum and a float scale is exact in double.
template <class T>
inline void ScaleRow(const float* __restrict First, const float* __restrict Second,
                     const float* __restrict Third, float Scale, T* __restrict Out, int Count) {
  const double By = Scale;
  for (int X = 0; X < Count; ++X) {
    Out[3 * X] = static_cast<T>(static_cast<int32_t>(static_cast<double>(First[X]) * By));
    Out[3 * X + 1] = static_cast<T>(static_cast<int32_t>(static_cast<double>(Second[X]) * By));
    Out[3 * X + 2] = static_cast<T>(static_cast<int32_t>(static_cast<double>(Third[X]) * By));
  }
}

} // namespace

VELMORA_WIDE_LOOP
void ScaleRow16(const float* First, const float* Second, const float* Third, float Scale,
                uint16_t* Out, int Count) {
  ScaleRow(First, Second, Third, Scale, Out, Count);
}

VELMORA_WIDE_LOOP
void ScaleRow8(const float* First, const float* Second, const float* Third, float Scale,
               uint8_t* Out, int Count) {
  ScaleRow(First, Second, Third, Scale, Out, Count);
}

namespace detail {

bool CanSumAlong(TSumPath Path) {
  return static_cast<int>(Path) <= static_cast<int>(WidestPath());
}

void SumBgrAlong(TSumPath Path, const uint8_t* Row, float* Red, float* Green, float* Blue,
                 int Count, TSumMode Mode) {
  float* const Sums[3] = {Blue, Green, Red};
  SumPixelsAlong(Path, Row, Sums, Count, Mode);
}

void SumRgb16Along(TSumPath Path, const uint16_t* Row, float* Red, float* Green, float* Blue,
                   int Count, TSumMode Mode) {
  float* const Sums[3] = {Red, Green, Blue};
  SumPixelsAlong(Path, Row, Sums, Count, Mode);
}

} // namespace detail

void SumBgr(const uint8_t* Row, float* Red, float* Green, float* Blue, int Count, TSumMode Mode) {
  detail::SumBgrAlong(WidestPath(), Row, Red, Green, Blue, Count, Mode);
}

void SumRgb16(const uint16_t* Row, float* Red, float* Green, float* Blue, int Count,
              TSumMode Mode) {
  detail::SumRgb16Along(WidestPath(), Row, Red, Green, Blue, Count, Mode);
}

void SumPlane16(const uint16_t* Samples, float* Sums, int Count, TSumMode Mode) {
  if (Mode == TSumMode::Store)
    StorePlane16(Samples, Sums, Count);
  else
    AddPlane16(Samples, Sums, Count);
}
