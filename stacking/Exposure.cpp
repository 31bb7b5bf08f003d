#include "Exposure.h"

#include "RawExtensions.h"
#include "RunPool.h"
#include "VekFileNames.h"
#include "VekUtil.h"

TExposureKind ExposureKindOf(const std::string& FileName) {
  const std::string Kind = TrimUpper(ExtractFileExt(FileName));
  if (Kind == ".JPG")
    return TExposureKind::Jpeg;
  if (Kind == ".TIF")
    return TExposureKind::Tiff;
  for (const std::string_view Raw : RawExtensions)
    if (Kind == TrimUpper(std::string(Raw)))
      return TExposureKind::Raw;
  return TExposureKind::Other;
}

void TExposure::ReadHeader(const std::string& FileName, TExposureKind Kind) {
  FKind = Kind;
  FStreamed = false;
  FWidth = FHeight = 0;
  FMeta = {};
  FTiff.reset();
  FRaw.reset();
  if (Kind == TExposureKind::Jpeg) {
    FreePlanes();
    FRgb.reset();
    LoadJpegHeader(FJpeg, FileName);
    FWidth = FJpeg.Width();
    FHeight = FJpeg.Height();
    FMeta = FJpeg.Meta();
    return;
  }
  FBitmap.Clear();
  if (Kind == TExposureKind::Raw) {
    FRaw = std::make_unique<TRawInput>(FileName);
    FWidth = FRaw->Width();
    FHeight = FRaw->Height();
    FMeta = FRaw->Meta();
  } else {
    FTiff = std::make_unique<TTiffInput>(FileName);
    // The reader refuses sizes whose planes do not fit one block, so both
    // fit an int.
    FWidth = static_cast<int>(FTiff->Width());
    FHeight = static_cast<int>(FTiff->Height());
    FMeta = FTiff->Meta();
  }
}

void TExposure::ReadPixels(const std::atomic<bool>* Stop) {
  if (FKind == TExposureKind::Jpeg) {
    DecodeJpegBgr(FJpeg, FBitmap, Stop);
    return;
  }
  if (FKind == TExposureKind::Raw) {
    // LibRaw's memory stays taken only while the file is decoded.
    const std::unique_ptr<TRawInput> Raw = std::move(FRaw);
    FRgb.reset();
    Raw->Read(FRed, FGreen, FBlue, Stop);
    return;
  }
  if (!FPlanes && FTiff->Streamable()) {
    // Kept open until it is added.
    FreePlanes();
    FRgb.reset();
    FTiff->CheckStrips();
    FStreamed = true;
    return;
  }
  // The file stays open only while it is read.
  const std::unique_ptr<TTiffInput> Tiff = std::move(FTiff);
  if (!FPlanes && Tiff->StoredInterleaved()) {
    FreePlanes();
    Tiff->ReadAsStored(FRgb);
    return;
  }
  FRgb.reset();
  Tiff->Read(FRed, FGreen, FBlue);
}

void TExposure::ReadStreamed(int Parts, const TStripRows& Rows) {
  const std::unique_ptr<TTiffInput> Tiff = std::move(FTiff);
  FStreamed = false;
  Tiff->ReadStrips(Parts, RunParts, Rows);
}

TSamples16 TExposure::Samples16() const {
  if (FRgb)
    return {{FRgb.get(), FRgb.get() + 1, FRgb.get() + 2}, 3};
  return {{FRed.get(), FGreen.get(), FBlue.get()}, 1};
}

void TExposure::FreePlanes() {
  FRed.reset();
  FGreen.reset();
  FBlue.reset();
}
