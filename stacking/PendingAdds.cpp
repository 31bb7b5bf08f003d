#include "PendingAdds.h"

#include "SplitRows.h"

#include <algorithm>

// The first file of a run is stored, every other one added.
void TPendingAdds::AddRow(int Y) {
  TSumMode Mode = FStored ? TSumMode::Add : TSumMode::Store;
  for (const THeld& Held : FHeld) {
    TExposure& File = *Held.Exposure;
    if (File.Kind() == TExposureKind::Jpeg)
      FSums.AddBgrRow(Y, File.Bitmap().Row(Y), Mode);
    else
      FSums.AddSamples16Row(Y, File.Samples16(), Mode);
    Mode = TSumMode::Add;
  }
}

// Each row gets all the files' additions in their order, then its maximum
// is taken while it is still in the cache. Each sum still gets each
// file's one addition, so the order of additions per sum is that of the
// files whatever the parts.
void TPendingAdds::Add(int Parts) {
  if (FHeld.empty())
    return;
  std::vector<float> Maxima(static_cast<size_t>(std::max(Parts, 1)), 0.0F);
  SplitRows(FSums.Height, Parts, [&](int Part, int First, int Last) {
    float Maximum = 0;
    for (int Y = First; Y < Last; ++Y) {
      AddRow(Y);
      Maximum = FSums.RowMaximum(Y, Maximum);
    }
    Maxima[static_cast<size_t>(Part)] = Maximum;
  });
  // Sums are never NaN: the largest of the parts' maxima is the maximum.
  FSums.Maximum = *std::max_element(Maxima.begin(), Maxima.end());
  FStored = true;
}

void TPendingAdds::Done() {
  for (const THeld& Held : FHeld)
    FAhead.Done(Held.Index);
  FHeld.clear();
}
