#include "CliStack.h"

#include "AsSaveTiff16Unit.h"
#include "ExposureAccumulator.h"
#include "JpegInput.h"
#include "Plane16.h"
#include "VekExceptions.h"
#include "VekUtil.h"

#include <cstdio>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Abandon = "\r\nBearbeitung wird abgebrochen";

// The extension of the name's last part, from its last dot, dot included;
// empty when that part has no dot.
std::string ExtensionOf(const std::string& Name) {
  const size_t Slash = Name.find_last_of('/');
  const size_t Dot = Name.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
    return "";
  return Name.substr(Dot);
}

bool Exists(const std::string& Name) {
  struct stat Info {};
  return lstat(Name.c_str(), &Info) == 0;
}

std::string SizeText(int Width, int Height) {
  return std::to_string(Width) + " x " + std::to_string(Height);
}

// The reused objects of one run.
struct TStackState {
  TExposureAccumulator Accumulator;
  TBitmap24 Bitmap;
  TJpegImage Jpeg;
};

void AddJpeg(TStackState& State, const std::string& Name) {
  LoadJpegBgr(State.Jpeg, Name, State.Bitmap);
  TExposureAccumulator& Sums = State.Accumulator;
  // Every exposure must have the first one's size: anything else would add
  // rows out of step or read past the end of the picture.
  if (Sums.Allocated &&
      (State.Bitmap.Width() != Sums.Width || State.Bitmap.Height() != Sums.Height))
    throw Exception("Falsche Bildgröße in '" + Name +
                    "': " + SizeText(State.Bitmap.Width(), State.Bitmap.Height()) + " statt " +
                    SizeText(Sums.Width, Sums.Height) + Abandon);
  Sums.Allocate(State.Bitmap.Width(), State.Bitmap.Height());
  for (int Y = 0; Y < Sums.Height; ++Y)
    Sums.AddBgrRow(Y, State.Bitmap.Row(Y));
}

void AddFile(TStackState& State, const std::string& Name) {
  const std::string Extension = ExtensionOf(Name);
  const std::string Key = TrimUpper(Extension);
  if (Key == ".JPG")
    AddJpeg(State, Name);
  else if (Key == ".TIF")
    throw Exception("TIFF-Eingabe wird von velmora-stack noch nicht unterstützt: '" + Name + "'" +
                    Abandon);
  else
    throw Exception("Unbekannter Filetyp '" + Extension + "'" + Abandon);
}

void WriteResult(TExposureAccumulator& Sums, const std::string& Output,
                 TTiffCompression Compression) {
  Sums.UpdateMaximum();
  const float Scale = Sums.ScaleFor(65535);
  TPlane16 Red = AllocPlane16(Sums.Width, Sums.Height);
  TPlane16 Green = AllocPlane16(Sums.Width, Sums.Height);
  TPlane16 Blue = AllocPlane16(Sums.Width, Sums.Height);
  Sums.ExportPlanes16(Scale, Red.get(), Green.get(), Blue.get());
  SaveTiff16(Output, Compression, static_cast<uint32_t>(Sums.Width),
             static_cast<uint32_t>(Sums.Height), Red.get(), Green.get(), Blue.get());
}

} // namespace

std::string OutputFileName(const std::string& Name) {
  return ExtensionOf(Name).empty() ? Name + ".tif" : Name;
}

std::string StackToTiff(const TCliOptions& Options) {
  const std::string Output = OutputFileName(Options.Output);
  // Decided before any input is read: a refused overwrite costs nothing.
  if (!Options.Force && Exists(Output))
    throw Exception("Die Ausgabedatei '" + Output + "' existiert bereits (--force ersetzt sie)" +
                    Abandon);
  const bool Progress = !Options.Quiet && isatty(STDERR_FILENO);
  TStackState State;
  const size_t Count = Options.Inputs.size();
  for (size_t I = 0; I < Count; ++I) {
    const std::string& Name = Options.Inputs[I];
    if (!FileReadable(Name)) {
      std::cerr << "velmora-stack: '" << Name << "' cannot be opened, skipped\n";
      continue;
    }
    if (Progress)
      std::cerr << "[" << I + 1 << "/" << Count << "] " << Name << "\n";
    AddFile(State, Name);
  }
  if (!State.Accumulator.Allocated)
    throw Exception("Keine der Eingabedateien ließ sich öffnen" + Abandon);
  WriteResult(State.Accumulator, Output, Options.Compression);
  return Output;
}
