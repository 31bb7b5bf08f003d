#include "FloatResult.h"

#include "SafeSave.h"

void SaveFloatResult(const TExposureAccumulator& Sums, const std::string& FileName,
                     const TTiffResult& Result, const TCropRect& Crop) {
  // Sums of black pictures stay 0 rather than become NaN.
  const float Largest = Sums.Maximum > 0 ? Sums.Maximum : 1.0F;
  const int64_t Width = Sums.Width;
  SaveTiffFloatReplacing(
      FileName, Result,
      [&](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, float* Piece, size_t Stride) {
        for (uint32_t R = 0; R < Rows; ++R) {
          const int64_t First = (int64_t{Crop.Y} + Y0 + R) * Width + Crop.X + X0;
          float* Out = Piece + R * Stride;
          for (int64_t I = First; I < First + Cols; ++I) {
            *Out++ = Sums.RedSum[I] / Largest;
            *Out++ = Sums.GreenSum[I] / Largest;
            *Out++ = Sums.BlueSum[I] / Largest;
          }
        }
      });
}
