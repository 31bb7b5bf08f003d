#include "SumKernels.h"

// The loops are left to the compiler's vectoriser, at least at the cost
// model -O3 uses: written out, every version is one conversion and one
// addition per sample. Machines with AVX2 get a wider version, picked when
// the program starts. Not under ThreadSanitizer, whose instrumented picker
// would run before the sanitizer is set up and crash the program at its
// start.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define VELMORA_WIDE_LOOP                                                                          \
  __attribute__((target_clones("avx2", "default"), optimize("vect-cost-model=dynamic")))
#else
#define VELMORA_WIDE_LOOP
#endif

namespace {

VELMORA_WIDE_LOOP
void AddBgr(const uint8_t* __restrict Row, float* __restrict Red, float* __restrict Green,
            float* __restrict Blue, int Count) {
  for (int X = 0; X < Count; ++X) {
    Blue[X] += Row[3 * X];
    Green[X] += Row[3 * X + 1];
    Red[X] += Row[3 * X + 2];
  }
}

VELMORA_WIDE_LOOP
void StoreBgr(const uint8_t* __restrict Row, float* __restrict Red, float* __restrict Green,
              float* __restrict Blue, int Count) {
  for (int X = 0; X < Count; ++X) {
    Blue[X] = Row[3 * X];
    Green[X] = Row[3 * X + 1];
    Red[X] = Row[3 * X + 2];
  }
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

void SumBgr(const uint8_t* Row, float* Red, float* Green, float* Blue, int Count, TSumMode Mode) {
  if (Mode == TSumMode::Store)
    StoreBgr(Row, Red, Green, Blue, Count);
  else
    AddBgr(Row, Red, Green, Blue, Count);
}

void SumPlane16(const uint16_t* Samples, float* Sums, int Count, TSumMode Mode) {
  if (Mode == TSumMode::Store)
    StorePlane16(Samples, Sums, Count);
  else
    AddPlane16(Samples, Sums, Count);
}
