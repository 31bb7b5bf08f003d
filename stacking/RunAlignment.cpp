#include "RunAlignment.h"

#include "CommonArea.h"
#include "Resample.h"
#include "SplitRows.h"
#include "VekExceptions.h"

#include <algorithm>
#include <utility>

namespace {

TPictureSamples ViewOf(TExposure& Exposure) {
  TPictureSamples View;
  View.Width = Exposure.Width();
  View.Height = Exposure.Height();
  if (Exposure.Kind() == TExposureKind::Jpeg) {
    View.Bgr = Exposure.Bitmap().Row(0);
    View.Stride = Exposure.Bitmap().Stride();
  } else {
    // The run reads planes when it aligns.
    const TSamples16 Samples = Exposure.Samples16();
    std::copy_n(Samples.Channel, 3, View.Planes);
  }
  return View;
}

// Parts a piece of work is cut into: enough for workers that become free
// midway to share it evenly.
constexpr int SharedParts = 64;

} // namespace

TRunAlignment::TRunAlignment(bool Enabled)
    : FSplit([](int Count, const std::function<void(int, int, int)>& Body) {
        SplitRows(Count, std::min(Count, SharedParts), Body);
      }) {
  if (Enabled)
    FAligner = std::make_unique<TAligner>(FSplit);
}

TPlacement TRunAlignment::Place(TExposure& Exposure, const std::string& FileName) {
  if (!FAligner)
    return {};
  if (FFirst) {
    FAligner->SetReference(ViewOf(Exposure));
    FFirst = false;
    return {};
  }
  TPlacement Placement;
  try {
    Placement = FAligner->Estimate(ViewOf(Exposure));
  } catch (const EAlignRefused& Refused) {
    throw Exception("Datei '" + FileName + "' lässt sich nicht ausrichten: " + Refused.what() +
                    "\r\nBearbeitung wird abgebrochen");
  }
  if (!Placement.Untouched) {
    Resample(Exposure, Placement.Transform);
    FTransforms.push_back(Placement.Transform);
  }
  return Placement;
}

void TRunAlignment::Resample(TExposure& Exposure, const TTransform& Transform) {
  const int Width = Exposure.Width();
  const int Height = Exposure.Height();
  if (Exposure.Kind() == TExposureKind::Jpeg) {
    TBitmap24& Read = Exposure.Bitmap();
    FBitmap.SetSize(Width, Height);
    ResampleBgr(Transform, Width, Height, Read.Row(0), Read.Stride(), FBitmap.Row(0),
                FBitmap.Stride(), FSplit);
    std::swap(Read, FBitmap);
    return;
  }
  // One spare plane serves all three: the plane a channel was read into
  // is free once that channel is resampled, and takes the next one.
  for (int Channel = 0; Channel < 3; ++Channel) {
    if (!FPlane)
      FPlane = AllocPlane16(Width, Height);
    TPlane16& Read = Exposure.Plane(Channel);
    ResamplePlane16(Transform, Width, Height, Read.get(), FPlane.get(), FSplit);
    std::swap(Read, FPlane);
  }
}

TCropRect TRunAlignment::Finish(int Width, int Height) {
  FAligner.reset();
  FBitmap.Clear();
  FPlane.reset();
  if (FTransforms.empty())
    return {0, 0, Width, Height};
  std::vector<TTransform> Covered{IdentityTransform};
  Covered.insert(Covered.end(), FTransforms.begin(), FTransforms.end());
  return CommonArea(Width, Height, Covered);
}
