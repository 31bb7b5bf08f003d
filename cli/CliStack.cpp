#include "CliStack.h"

#include "RunHost.h"
#include "RunReport.h"
#include "StackingRun.h"
#include "VekApp.h"
#include "VekExceptions.h"
#include "VekUtil.h"

#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Abandon = "\r\nBearbeitung wird abgebrochen";

bool Exists(const std::string& Name) {
  struct stat Info {};
  return lstat(Name.c_str(), &Info) == 0;
}

std::string Refusal(const std::string& Output) {
  return "Die Ausgabedatei '" + Output + "' existiert bereits (--force ersetzt sie)" + Abandon;
}

// The run without a window: the files from the command line, the output
// name from -o, the overwrite question answered by --force, messages and
// progress on stderr, no picture.
class TCliHost : public TRunHost {
public:
  TCliHost(const TCliOptions& Options, const std::string& Output)
      : FOptions(Options), FOutput(Output), FProgress(!Options.Quiet && isatty(STDERR_FILENO)) {}

  bool OpenFiles(const std::string&, int&, std::vector<std::string>& Files) override {
    for (const std::string& Name : FOptions.Inputs)
      if (!FileReadable(Name))
        std::cerr << "velmora-stack: '" << Name << "' cannot be opened, skipped\n";
    Files = FOptions.Inputs;
    return true;
  }
  bool SaveFile(const std::string&, const std::string&, std::string& Chosen) override {
    Chosen = FOutput;
    FContext = "writing '" + FOutput + "'";
    return true;
  }
  void ShowMessage(const std::string& Text) override { std::cerr << Text << "\n"; }
  bool Confirm(const std::string&) override { return FOptions.Force; }
  void SetInfo(const std::string&) override {}
  void StartFile(int Index, int Count, const std::string& FileName) override {
    FContext = "reading '" + FileName + "'";
    if (FProgress)
      std::cerr << "[" << Index << "/" << Count << "] " << FileName << "\n";
  }
  void ShowPicture(const TBitmap24&) override {}
  bool ShowsPicture() const override { return false; }
  void RepaintPicture() override {}
  int Cursor() override { return FCursor; }
  void SetCursor(int Id) override { FCursor = Id; }
  TTiffCompression Compression() override { return FOptions.Compression; }
  int Threads() const override {
    return FOptions.Threads > 0 ? FOptions.Threads : TRunHost::Threads();
  }
  TSaveLayout Layout() override { return FOptions.Layout; }
  bool FloatResult() const override { return FOptions.Float; }
  void Warn(const std::string& Text) override { std::cerr << "velmora-stack: " << Text << "\n"; }
  bool Align() const override { return FOptions.Align; }
  void Placed(size_t Index, const TPlacement& Placement) override {
    FReport.Files.push_back({FOptions.GivenInputs.at(Index), Placement});
  }
  void Cropped(int Width, int Height, const TCropRect& Crop) override {
    FReport.Width = Width;
    FReport.Height = Height;
    FReport.Crop = Crop;
  }

  // The file the run is at: the input it reads or the output it writes.
  const std::string& Context() const { return FContext; }
  const TRunReport& Report() const { return FReport; }

private:
  const TCliOptions& FOptions;
  const std::string FOutput;
  const bool FProgress;
  std::string FContext;
  int FCursor = crDefault;
  TRunReport FReport;
};

} // namespace

std::string StackToTiff(const TCliOptions& Options) {
  const std::string Output = ResultFileName(Options.Output);
  TCliHost Host(Options, Output);
  try {
    // Decided before any input is read: a refused overwrite costs nothing.
    if (!Options.Force && Exists(Output))
      Abort();
    RunStacking(Host);
    if (!Options.Report.empty())
      WriteReport(Options.Report, Host.Report());
  } catch (const EAbort&) {
    throw Exception(FailureLine("", Exception(Refusal(Output))));
  } catch (const std::exception& Failure) {
    throw Exception(FailureLine(Host.Context(), Failure));
  }
  return Output;
}

std::string FailureLine(const std::string& Context, const std::exception& Failure) {
  std::string Line = "velmora-stack: ";
  if (!Context.empty())
    Line += Context + ": ";
  Line += Failure.what();
  const auto* Own = dynamic_cast<const Exception*>(&Failure);
  if (Own && !Own->Cause().empty())
    Line += " (" + Own->Cause() + ")";
  return Line;
}
