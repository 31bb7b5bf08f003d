#include "StackingRun.h"

#include "AsSaveTiff16Unit.h"
#include "BandExport.h"
#include "ExposureAccumulator.h"
#include "FloatResult.h"
#include "PendingAdds.h"
#include "RawRun.h"
#include "ReadAhead.h"
#include "ReadAheadPlan.h"
#include "RunAlignment.h"
#include "RunMeta.h"
#include "RunPool.h"
#include "SafeSave.h"
#include "SplitRows.h"
#include "VekApp.h"
#include "VekExceptions.h"
#include "VekFileNames.h"
#include "VekPlatform.h"
#include "VekUtil.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string Section = "Config";
const std::string CRLF = "\r\n";

// Restores the screen cursor it found on every way out.
class TBusyCursor {
public:
  explicit TBusyCursor(TRunHost& Host) : FHost(Host), FSaved(Host.Cursor()) {
    FHost.SetCursor(crHourGlass);
  }
  ~TBusyCursor() { FHost.SetCursor(FSaved); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
  TRunHost& FHost;
  int FSaved;
};

bool ShowOpenDialog(TRunHost& Host, int& FilterIndex, std::vector<std::string>& Files) {
  const std::string InitialDir = App->ReadIniString(Section, "Path", "");
  FilterIndex = static_cast<int>(App->ReadIniInteger(Section, "FilterIndex", 1));
  Files.clear();
  return Host.OpenFiles(InitialDir, FilterIndex, Files);
}

// The first file fixes the size; a later file of another size would be
// read past its end, so the run ends before anything is added.
void CheckSize(const TExposureAccumulator& Sums, const std::string& FileName, int64_t Width,
               int64_t Height) {
  if (!Sums.Allocated || (Width == Sums.Width && Height == Sums.Height))
    return;
  throw Exception("Falsche Bildgröße in '" + FileName + "': " + std::to_string(Width) + " x " +
                  std::to_string(Height) + " statt " + std::to_string(Sums.Width) + " x " +
                  std::to_string(Sums.Height) + CRLF + "Bearbeitung wird abgebrochen");
}

// The maximum is that of the sums with the file just added. Linear sums
// are shown through sRGB's tone curve.
void ShowPreview(TRunHost& Host, TExposureAccumulator& Sums, TBitmap24& Work, int Parts,
                 bool Linear) {
  const float Scale = Sums.ScaleFor(Linear ? 65535 : 255);
  if (!Host.ShowsPicture())
    return;
  Work.SetSize(Sums.Width, Sums.Height);
  SplitRows(Sums.Height, Parts, [&](int, int First, int Last) {
    for (int Y = First; Y < Last; ++Y)
      if (Linear)
        RenderLinearPreviewRow(Sums, Y, Scale, Work.Row(Y));
      else
        Sums.RenderPreviewRow(Y, Scale, Work.Row(Y));
  });
  Host.ShowPicture(Work);
}

// What a run keeps while it adds its files. A JPEG's preview is rendered
// into its own bitmap once it is added; a TIFF's into Preview.
struct TProcessing {
  TExposureAccumulator& Sums;
  TReadAhead& Ahead;
  TPendingAdds& Pending;
  TRunAlignment& Alignment;
  TBitmap24& Preview;
  TRunPool& Pool;
  int FilterIndex;
  TRunMeta& Meta;
  bool Raw;
  size_t Files;
};

// The threads not busy reading share the addition and the preview. Last:
// no file after these is left to add.
void AddPending(TRunHost& Host, TProcessing& Run, TBitmap24& Work, bool Last) {
  const int Parts = Run.Pool.Threads() - Run.Ahead.Reading();
  Run.Pending.Add(Parts, Last || Host.ShowsPicture());
  ShowPreview(Host, Run.Sums, Work, Parts, Run.Raw);
  Run.Pending.Done();
}

void ProcessFile(TRunHost& Host, TProcessing& Run, const std::string& FileName, size_t Index) {
  App->WriteIniString(Section, "Path", ExtractFilePath(FileName));
  App->WriteIniInteger(Section, "FilterIndex", Run.FilterIndex);
  Host.SetInfo("Processing " + ExtractFileName(FileName));
  const TExposureKind Kind = ExposureKindOf(FileName);
  if (Kind == TExposureKind::Other)
    throw Exception("Unbekannter Filetyp '" + ExtractFileExt(FileName) + "'" + CRLF +
                    "Bearbeitung wird abgebrochen");
  TExposureAccumulator& Sums = Run.Sums;
  // Refused by its header: a picture of another size, or one too large
  // for the sums, is not read at all.
  TExposure& Exposure = Run.Ahead.Take(Index, [&](int Width, int Height) {
    CheckSize(Sums, FileName, Width, Height);
    Sums.Allocate(Width, Height);
  });
  Run.Meta.Add(Exposure.Meta(), FileName, Host);
  Host.Placed(Index, Run.Alignment.Place(Exposure, FileName));
  Run.Pending.Hold(Index, Exposure);
  // With no preview owed, a next file already read waits to be added
  // together with this one.
  if (!Host.ShowsPicture() && Run.Ahead.Ready(Index + 1))
    return;
  AddPending(Host, Run, Kind == TExposureKind::Jpeg ? Exposure.Bitmap() : Run.Preview,
             Index + 1 == Run.Files);
}

std::vector<TReadAhead::TFile> ClassifiedFiles(const std::vector<std::string>& Files) {
  std::vector<TReadAhead::TFile> Result;
  for (const std::string& Name : Files)
    Result.push_back({Name, ExposureKindOf(Name)});
  return Result;
}

// Crop: the part of the sums written.
void WriteResult(TRunHost& Host, TExposureAccumulator& Sums, const std::string& FileName,
                 int Threads, const TPictureMeta& Meta, const TCropRect& Crop) {
  TBusyCursor Busy(Host);
  TTiffResult Result{static_cast<uint32_t>(Crop.Width), static_cast<uint32_t>(Crop.Height),
                     Host.Layout(), Host.Compression(), Meta};
  // The pieces are compressed on the run's threads, a band at a time.
  Result.Threads = {Threads, RunParts};
  if (Host.FloatResult()) {
    SaveFloatResult(Sums, FileName, Result, Crop, Threads);
    return;
  }
  const float Scale = Sums.ScaleFor(65535);
  // The sums are scaled straight into the writer's pieces: output planes
  // would be 6 bytes per pixel of fresh memory, the slowest thing a run
  // touches. With more threads a band of tiles is scaled at once.
  TBandExport<uint16_t> Band(
      Crop, Threads, [&](int X0, int Y0, int Cols, int Rows, uint16_t* Piece, size_t Stride) {
        Sums.ExportTile16(Scale, X0, Y0, Cols, Rows, Piece, Stride);
      });
  SaveTiff16Replacing(FileName, Result, Band.Source());
}

} // namespace

std::string ResultFileName(const std::string& FileName) {
  return ExtractFileExt(FileName).empty() ? FileName + ".tif" : FileName;
}

void RunStacking(TRunHost& Host) {
  int FilterIndex = 1;
  std::vector<std::string> Files;
  if (!ShowOpenDialog(Host, FilterIndex, Files))
    return;
  while (Files.size() < 2) {
    PlayBeep();
    Host.ShowMessage("wählen Sie bitte mindestens zwei Dateien aus");
    if (!ShowOpenDialog(Host, FilterIndex, Files))
      Abort();
  }

  // Refused before anything is read: a raw file among JPEG or TIFF files
  // would otherwise end the run only after the files before it were read.
  const bool Raw = IsRawRun(Files);
  TExposureAccumulator Sums;
  // The files are read ahead on the other cores and added here in order.
  TRunPool Pool(Host.Threads());
  TReadAhead Ahead(ClassifiedFiles(Files), Pool, TExposureAccumulator::MaxPixels(),
                   AvailableMemory(), Host.Align());
  TPendingAdds Pending(Sums, Ahead);
  TRunAlignment Alignment(Host.Align());
  TBitmap24 Preview;
  TRunMeta Meta;
  TProcessing Run{Sums, Ahead,       Pending, Alignment, Preview,
                  Pool, FilterIndex, Meta,    Raw,       Files.size()};
  std::string Current;
  {
    TBusyCursor Busy(Host);
    for (size_t I = 0; I < Files.size(); ++I) {
      Current = Files[I];
      if (!FileReadable(Current)) {
        // Files held for adding wait only for a next file already read.
        if (!Pending.Empty())
          AddPending(Host, Run, Preview, I + 1 == Files.size());
        Ahead.Skip(I);
        continue;
      }
      Host.StartFile(static_cast<int>(I) + 1, static_cast<int>(Files.size()), Current);
      ProcessFile(Host, Run, Current, I);
    }
    if (!Pending.Empty())
      AddPending(Host, Run, Preview, true);
  }
  // The window keeps its own copy of the picture; the threads end and the
  // buffers are given back before the result is written.
  Ahead.Release();
  Preview.Clear();
  const TCropRect Crop = Alignment.Finish(Sums.Width, Sums.Height);
  if (!Sums.Allocated)
    throw Exception("Keine der gewählten Dateien konnte gelesen werden");
  // Files passed over at the end leave the last addition without it.
  if (!Pending.MaximumTaken())
    Sums.UpdateMaximum();
  Host.Cropped(Sums.Width, Sums.Height, Crop);

  const std::string Proposal = ChangeFileExt(Current, ".tif");
  const std::string Folder = ExtractFilePath(Proposal);
  const std::string InitialDir =
      Trim(Folder).empty() ? App->ReadIniString(Section, "Path", "") : Folder;
  std::string Chosen;
  if (Host.SaveFile(InitialDir, Proposal, Chosen)) {
    Host.RepaintPicture();
    Chosen = ResultFileName(Chosen);
    Host.SetInfo("SAVING " + ExtractFileName(Chosen));
    if (FileReadable(Chosen)) {
      PlayBeep();
      if (!Host.Confirm("Soll die Datei " + CRLF + "'" + Chosen + "'" + CRLF +
                        "wirklich überschrieben werden? "))
        Abort();
    }
    Host.RepaintPicture();
    WriteResult(Host, Sums, Chosen, Pool.Threads(), Meta.First(), Crop);
  }
  Host.SetInfo("READY");
}
