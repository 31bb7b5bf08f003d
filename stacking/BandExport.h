#pragma once
// The result's samples for the writer's pieces, scaled from the sums on
// the run's threads a band of rows at a time: the band, as wide as the
// part written, is shared among threads by rows, and each tile of it is
// then copied out in turn. A piece as wide as the part (a strip) is
// scaled straight into place. Pieces must come in the file's order, from
// one thread, as the writer calls its source.
#include "Alignment.h"
#include "TiffWriter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Writes Cols x Rows scaled pixels of the sums from (X0, Y0), red, green
// and blue interleaved, rows Stride samples apart.
template <class TSample>
using TScaleRows =
    std::function<void(int X0, int Y0, int Cols, int Rows, TSample* Piece, size_t Stride)>;

template <class TSample> class TBandExport {
public:
  // Crop: the part of the sums written; Threads: how many share a band.
  TBandExport(const TCropRect& Crop, int Threads, TScaleRows<TSample> Scale);
  // Fills the piece of Cols x Rows pixels from (X0, Y0) of the part
  // written, rows Stride samples apart, as the writer's source does.
  void Fill(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, TSample* Piece, size_t Stride);
  // Fill as the writer's source; the band must outlive it.
  TPieceSource<TSample> Source() {
    return [this](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, TSample* Piece,
                  size_t Stride) { Fill(X0, Y0, Cols, Rows, Piece, Stride); };
  }

private:
  // Rows Count of the part written from First into Out, on the threads.
  void ScaleRows(uint32_t First, uint32_t Count, TSample* Out, size_t Stride);

  const TCropRect FCrop;
  const int FThreads;
  const TScaleRows<TSample> FScale;
  // Rows FRows from FFirst of the part written, red, green and blue
  // interleaved, as wide as the part.
  std::vector<TSample> FBand;
  int64_t FFirst = -1;
  uint32_t FRows = 0;
};

extern template class TBandExport<uint16_t>;
extern template class TBandExport<float>;
