#include "RawRun.h"

#include "Exposure.h"
#include "VekExceptions.h"
#include "VekFiles.h"

#include <algorithm>
#include <array>
#include <cmath>

bool IsRawRun(const std::vector<std::string>& Files) {
  bool Decided = false;
  bool Raw = false;
  for (const std::string& Name : Files) {
    const TExposureKind Kind = ExposureKindOf(Name);
    if (Kind == TExposureKind::Other || !FileReadable(Name))
      continue;
    if (!Decided) {
      Decided = true;
      Raw = Kind == TExposureKind::Raw;
    } else if ((Kind == TExposureKind::Raw) != Raw) {
      throw Exception("Rohdateien und JPEG/TIFF-Dateien lassen sich nicht mischen: '" + Name +
                      "'\r\nBearbeitung wird abgebrochen");
    }
  }
  return Raw;
}

namespace {

// 16-bit linear value to its 8-bit sRGB encoding, truncated as the plain
// preview truncates.
const std::array<uint8_t, 65536>& SrgbTable() {
  static const std::array<uint8_t, 65536> Table = [] {
    std::array<uint8_t, 65536> T{};
    for (size_t I = 0; I < T.size(); ++I) {
      const double Linear = static_cast<double>(I) / 65535.0;
      const double Encoded =
          Linear <= 0.0031308 ? 12.92 * Linear : 1.055 * std::pow(Linear, 1 / 2.4) - 0.055;
      T[I] = static_cast<uint8_t>(std::clamp(Encoded * 255.0, 0.0, 255.0));
    }
    return T;
  }();
  return Table;
}

uint8_t Encoded(const std::array<uint8_t, 65536>& Table, float Sum, float Scale) {
  const float Value = std::min(Sum * Scale, 65535.0F);
  return Table[static_cast<size_t>(Value)];
}

} // namespace

void RenderLinearPreviewRow(const TExposureAccumulator& Sums, int Y, float Scale, uint8_t* Row) {
  const std::array<uint8_t, 65536>& Table = SrgbTable();
  const int64_t First = static_cast<int64_t>(Y) * Sums.Width;
  const float* Red = Sums.RedSum.get() + First;
  const float* Green = Sums.GreenSum.get() + First;
  const float* Blue = Sums.BlueSum.get() + First;
  for (int X = 0; X < Sums.Width; ++X) {
    Row[3 * X] = Encoded(Table, Blue[X], Scale);
    Row[3 * X + 1] = Encoded(Table, Green[X], Scale);
    Row[3 * X + 2] = Encoded(Table, Red[X], Scale);
  }
}
