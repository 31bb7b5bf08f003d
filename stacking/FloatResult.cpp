#include "FloatResult.h"

#include "BandExport.h"
#include "SafeSave.h"

void SaveFloatResult(const TExposureAccumulator& Sums, const std::string& FileName,
                     const TTiffResult& Result, const TCropRect& Crop, int Threads) {
  // Sums of black pictures stay 0 rather than become NaN.
  const float Largest = Sums.Maximum > 0 ? Sums.Maximum : 1.0F;
  const int64_t Width = Sums.Width;
  TBandExport<float> Band(Crop, Threads,
                          [&](int X0, int Y0, int Cols, int Rows, float* Piece, size_t Stride) {
                            for (int R = 0; R < Rows; ++R) {
                              const int64_t First = (int64_t{Y0} + R) * Width + X0;
                              float* Out = Piece + static_cast<size_t>(R) * Stride;
                              for (int64_t I = First; I < First + Cols; ++I) {
                                *Out++ = Sums.RedSum[I] / Largest;
                                *Out++ = Sums.GreenSum[I] / Largest;
                                *Out++ = Sums.BlueSum[I] / Largest;
                              }
                            }
                          });
  SaveTiffFloatReplacing(FileName, Result, Band.Source());
}
