#include "Exposure.h"

#include "VekFileNames.h"
#include "VekUtil.h"

TExposureKind ExposureKindOf(const std::string& FileName) {
  const std::string Kind = TrimUpper(ExtractFileExt(FileName));
  if (Kind == ".JPG")
    return TExposureKind::Jpeg;
  if (Kind == ".TIF")
    return TExposureKind::Tiff;
  return TExposureKind::Other;
}

void TExposure::ReadHeader(const std::string& FileName, TExposureKind Kind) {
  FKind = Kind;
  FWidth = FHeight = 0;
  FMeta = {};
  FTiff.reset();
  if (Kind == TExposureKind::Jpeg) {
    FRed.reset();
    FGreen.reset();
    FBlue.reset();
    LoadJpegHeader(FJpeg, FileName);
    FWidth = FJpeg.Width();
    FHeight = FJpeg.Height();
    FMeta = FJpeg.Meta();
  } else {
    FBitmap.Clear();
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
  // The file stays open only while it is read.
  const std::unique_ptr<TTiffInput> Tiff = std::move(FTiff);
  Tiff->Read(FRed, FGreen, FBlue);
}
