// A whole stacking run, as velmora-stack does it, over two fuzzed
// exposures. Input: a selector byte, then the two files' bytes as two
// halves. The selector's low bits pick the extensions: .jpg and .jpg,
// .tif and .tif, or one of each. A run may fail with the project's
// exceptions; anything else is a fault.
#include "AsSaveTiff16Unit.h"
#include "FuzzSupport.h"
#include "RunHost.h"
#include "StackingRun.h"
#include "VekExceptions.h"
#include "VekSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Picks the two inputs once, saves to a fixed name and confirms the
// overwrite; everything visual is ignored apart from a size check.
class TFuzzHost : public TRunHost {
public:
  TFuzzHost(std::vector<std::string> Inputs, std::string Output)
      : FInputs(std::move(Inputs)), FOutput(std::move(Output)) {}

  bool OpenFiles(const std::string&, int& FilterIndex, std::vector<std::string>& Files) override {
    if (FOpened)
      return false;
    FOpened = true;
    Files = FInputs;
    FilterIndex = 1;
    return true;
  }
  bool SaveFile(const std::string&, const std::string&, std::string& Chosen) override {
    Chosen = FOutput;
    return true;
  }
  void ShowMessage(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
  void SetInfo(const std::string&) override {}
  void ShowPicture(const TBitmap24& Bitmap) override {
    detail::Require(Bitmap.Width() > 0 && Bitmap.Height() > 0, "an empty preview");
  }
  void RepaintPicture() override {}
  int Cursor() override { return FCursor; }
  void SetCursor(int Id) override { FCursor = Id; }

private:
  std::vector<std::string> FInputs;
  std::string FOutput;
  bool FOpened = false;
  int FCursor = 0;
};

bool Fits(const std::string& FileName, bool Tiff, const uint8_t* Data, size_t Size) {
  return Tiff ? detail::TiffFitsBudget(FileName) : detail::JpegFitsBudget(Data, Size);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceTiffLibrary();
  InitVekSystem();
  // Nothing of a fuzzing run goes to disk beyond the scratch folder.
  App->ErrorFileName = "";
  App->SetIniFile(detail::FuzzFolder() + "/VadevEzuzeva.ini");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1)
    return -1;
  const bool FirstTiff = (Data[0] & 1) != 0;
  const bool SecondTiff = (Data[0] & 2) != 0;
  const uint8_t* First = Data + 1;
  const size_t FirstSize = (Size - 1) / 2;
  const uint8_t* Second = First + FirstSize;
  const size_t SecondSize = Size - 1 - FirstSize;
  const std::string A = detail::WriteFuzzFile(FirstTiff ? "a.tif" : "a.jpg", First, FirstSize);
  const std::string B = detail::WriteFuzzFile(SecondTiff ? "b.tif" : "b.jpg", Second, SecondSize);
  if (!Fits(A, FirstTiff, First, FirstSize) || !Fits(B, SecondTiff, Second, SecondSize))
    return -1;
  const std::string Output = detail::FuzzFolder() + "/out.tif";
  std::remove(Output.c_str());
  TFuzzHost Host({A, B}, Output);
  try {
    RunStacking(Host);
  } catch (const Exception&) {
  }
  std::remove(A.c_str());
  std::remove(B.c_str());
  return 0;
}
