#include "PendingAdds.h"

#include "SplitRows.h"

#include <algorithm>

void TPendingAdds::Add(int Parts, bool Maximum) {
  if (FHeld.empty())
    return;
  FMaximumTaken = Maximum;
  size_t First = 0;
  while (First < FHeld.size()) {
    if (FHeld[First].Exposure->Streamed()) {
      AddStreamed(*FHeld[First++].Exposure, Parts);
      continue;
    }
    size_t Last = First;
    while (Last < FHeld.size() && !FHeld[Last].Exposure->Streamed())
      ++Last;
    AddTogether(First, Last, Parts);
    First = Last;
  }
}

// Each row gets the additions of files First .. Last - 1 in their order,
// then its maximum is taken while it is still in the cache. Each sum
// still gets each file's one addition, so the order of additions per sum
// is that of the files whatever the parts.
void TPendingAdds::AddTogether(size_t First, size_t Last, int Parts) {
  std::vector<float> Maxima(static_cast<size_t>(std::max(Parts, 1)), 0.0F);
  SplitRows(FSums.Height, Parts, [&](int Part, int Top, int Bottom) {
    float Maximum = 0;
    for (int Y = Top; Y < Bottom; ++Y) {
      TSumMode Mode = NextMode();
      for (size_t I = First; I < Last; ++I) {
        TExposure& File = *FHeld[I].Exposure;
        if (File.Kind() == TExposureKind::Jpeg)
          FSums.AddBgrRow(Y, File.Bitmap().Row(Y), Mode);
        else
          FSums.AddSamples16Row(Y, File.Samples16(), Mode);
        Mode = TSumMode::Add;
      }
      if (FMaximumTaken)
        Maximum = FSums.RowMaximum(Y, Maximum);
    }
    Maxima[static_cast<size_t>(Part)] = Maximum;
  });
  TakeMaximum(Maxima);
}

// Rows are added as their strip is read, by the part that reads it.
void TPendingAdds::AddStreamed(TExposure& File, int Parts) {
  const TSumMode Mode = NextMode();
  const size_t Row = static_cast<size_t>(FSums.Width) * 3;
  Parts = std::max(Parts, 1);
  std::vector<float> Maxima(static_cast<size_t>(Parts), 0.0F);
  File.ReadStreamed(Parts, [&](int Part, uint32_t Y0, uint32_t Rows, const uint16_t* Rgb) {
    float& Maximum = Maxima[static_cast<size_t>(Part)];
    for (uint32_t R = 0; R < Rows; ++R) {
      const int Y = static_cast<int>(Y0 + R);
      FSums.AddRgb16Row(Y, Rgb + Row * R, Mode);
      if (FMaximumTaken)
        Maximum = FSums.RowMaximum(Y, Maximum);
    }
  });
  TakeMaximum(Maxima);
}

// Sums are never NaN: the largest of the parts' maxima is the maximum.
void TPendingAdds::TakeMaximum(const std::vector<float>& Maxima) {
  if (FMaximumTaken)
    FSums.Maximum = *std::max_element(Maxima.begin(), Maxima.end());
  FStored = true;
}

void TPendingAdds::Done() {
  for (const THeld& Held : FHeld)
    FAhead.Done(Held.Index);
  FHeld.clear();
}
