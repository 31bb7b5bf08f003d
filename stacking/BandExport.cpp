#include "BandExport.h"

#include "SplitRows.h"

#include <algorithm>

TBandExport::TBandExport(const TExposureAccumulator& Sums, float Scale, int Threads)
    : FSums(Sums), FScale(Scale), FThreads(Threads) {}

void TBandExport::Fill(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, uint16_t* Tile,
                       size_t Stride) {
  const size_t Row = static_cast<size_t>(FSums.Width) * 3;
  if (FFirst != Y0 || FRows != Rows) {
    FBand.resize(Row * Rows);
    SplitRows(static_cast<int>(Rows), FThreads, [&](int, int First, int Last) {
      FSums.ExportTile16(FScale, 0, static_cast<int>(Y0) + First, FSums.Width, Last - First,
                         FBand.data() + Row * static_cast<size_t>(First), Row);
    });
    FFirst = Y0;
    FRows = Rows;
  }
  for (uint32_t R = 0; R < Rows; ++R)
    std::copy_n(FBand.data() + Row * R + size_t{X0} * 3, size_t{Cols} * 3, Tile + Stride * R);
}
