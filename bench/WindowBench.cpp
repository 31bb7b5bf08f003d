// What the window's preview costs a run: the whole run hosted by the real
// main window (preview rendered, copied and painted after every file)
// against the same run with no picture, as velmora-stack does it. The
// dialogs are answered at once; the two kinds alternate, one warm-up and
// RUNS runs each, medians.
//   WindowBench OUTPUT.tif INPUT... (QT_QPA_PLATFORM=offscreen without a display)
#include "AsSaveTiff16Unit.h"
#include "QtPlatform.h"
#include "StackingRun.h"
#include "Unit2.h"
#include "VekSystem.h"
#include "VelmoraApplication.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The window's own label, picture and cursor; files, output name and the
// overwrite answer given.
class TWindowHost : public TRunHost {
public:
  TWindowHost(TFormMain& Form, std::vector<std::string> Files, std::string Output, bool Picture)
      : FForm(Form), FFiles(std::move(Files)), FOutput(std::move(Output)), FPicture(Picture) {}

  bool OpenFiles(const std::string&, int&, std::vector<std::string>& Files) override {
    Files = FFiles;
    return true;
  }
  bool SaveFile(const std::string&, const std::string&, std::string& Chosen) override {
    Chosen = FOutput;
    return true;
  }
  void ShowMessage(const std::string& Text) override { std::fprintf(stderr, "%s\n", Text.c_str()); }
  bool Confirm(const std::string&) override { return true; }
  void SetInfo(const std::string& Text) override { FForm.SetInfo(Text); }
  void ShowPicture(const TBitmap24& Bitmap) override { FForm.ShowPicture(Bitmap); }
  bool ShowsPicture() const override { return FPicture; }
  void RepaintPicture() override { FForm.RepaintPicture(); }
  int Cursor() override { return FForm.Cursor(); }
  void SetCursor(int Id) override { FForm.SetCursor(Id); }

private:
  TFormMain& FForm;
  std::vector<std::string> FFiles;
  std::string FOutput;
  bool FPicture;
};

double Seconds(TFormMain& Form, const std::vector<std::string>& Files, const std::string& Output,
               bool Picture) {
  TWindowHost Host(Form, Files, Output, Picture);
  const auto Start = std::chrono::steady_clock::now();
  RunStacking(Host);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  const size_t Half = Values.size() / 2;
  return Values.size() % 2 ? Values[Half] : (Values[Half - 1] + Values[Half]) / 2;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: WindowBench OUTPUT.tif INPUT...\n");
    return 2;
  }
  // The application object changes the current folder; names are made
  // absolute before.
  const std::string Output = std::filesystem::absolute(argv[1]).string();
  std::vector<std::string> Files;
  for (int I = 2; I < argc; ++I)
    Files.push_back(std::filesystem::absolute(argv[I]).string());
  const char* RunsText = std::getenv("RUNS");
  const int Runs = RunsText ? std::max(1, std::atoi(RunsText)) : 5;

  // Set up as the window program does it.
  TVelmoraApplication Application(argc, argv);
  TQtPlatform QtPlatform(Application);
  TPlatformInstallation Installed(QtPlatform);
  TVekSystemScope System;
  SilenceTiffLibrary();
  App->ErrorFileName.clear();
  App->AlwaysShowErrors = true;
  const std::filesystem::path Settings =
      std::filesystem::temp_directory_path() / "velmora-window-bench.ini";
  App->SetIniFile(Settings.string());
  TFormMain2 Form;
  Form.show();
  QApplication::processEvents();

  std::vector<double> Window, Plain;
  for (int Run = 0; Run <= Runs; ++Run) {
    const double W = Seconds(Form, Files, Output, true);
    const double P = Seconds(Form, Files, Output, false);
    if (Run > 0) {
      Window.push_back(W);
      Plain.push_back(P);
    }
  }
  const double W = Median(Window);
  const double P = Median(Plain);
  std::printf("%zu files: window %.3f s, no picture %.3f s, preview %.3f s per file (%+.0f %%)\n",
              Files.size(), W, P, (W - P) / static_cast<double>(Files.size()), 100 * (W - P) / P);
  std::filesystem::remove(Settings);
  return 0;
}
