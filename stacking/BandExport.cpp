#include "BandExport.h"

#include "SplitRows.h"

#include <algorithm>
#include <utility>

template <class TSample>
TBandExport<TSample>::TBandExport(const TCropRect& Crop, int Threads, TScaleRows<TSample> Scale)
    : FCrop(Crop), FThreads(Threads), FScale(std::move(Scale)) {}

template <class TSample>
void TBandExport<TSample>::ScaleRows(uint32_t First, uint32_t Count, TSample* Out, size_t Stride) {
  SplitRows(static_cast<int>(Count), FThreads, [&](int, int From, int To) {
    FScale(FCrop.X, FCrop.Y + static_cast<int>(First) + From, FCrop.Width, To - From,
           Out + Stride * static_cast<size_t>(From), Stride);
  });
}

template <class TSample>
void TBandExport<TSample>::Fill(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows,
                                TSample* Piece, size_t Stride) {
  if (FThreads < 2) {
    FScale(FCrop.X + static_cast<int>(X0), FCrop.Y + static_cast<int>(Y0), static_cast<int>(Cols),
           static_cast<int>(Rows), Piece, Stride);
    return;
  }
  if (X0 == 0 && Cols == static_cast<uint32_t>(FCrop.Width)) {
    ScaleRows(Y0, Rows, Piece, Stride);
    return;
  }
  const size_t Row = static_cast<size_t>(FCrop.Width) * 3;
  if (FFirst != Y0 || FRows != Rows) {
    FBand.resize(Row * Rows);
    ScaleRows(Y0, Rows, FBand.data(), Row);
    FFirst = Y0;
    FRows = Rows;
  }
  for (uint32_t R = 0; R < Rows; ++R)
    std::copy_n(FBand.data() + Row * R + size_t{X0} * 3, size_t{Cols} * 3, Piece + Stride * R);
}

template class TBandExport<uint16_t>;
template class TBandExport<float>;
