#pragma once
// What the stacking run needs from its window: the dialogs, the message
// boxes, the status label, the picture and the screen cursor. The main
// window is one host, velmora-stack another, the tests a third.
#include "Alignment.h"
#include "AsSaveTiff16Unit.h"
#include "Bitmap24.h"
#include "RunThreads.h"

#include <string>
#include <vector>

class TRunHost {
public:
  virtual ~TRunHost() = default;

  // The open dialog, its file name cleared, starting in InitialDir with
  // FilterIndex selected (1 = "JPEG", 2 = "TIFF"). False when cancelled;
  // otherwise Files holds the picked full paths in the dialog's order and
  // FilterIndex the filter selected when it closed.
  virtual bool OpenFiles(const std::string& InitialDir, int& FilterIndex,
                         std::vector<std::string>& Files) = 0;
  // The save dialog (filter "*.tif") proposing Proposal and starting in
  // InitialDir. False when cancelled; otherwise Chosen is the full name.
  virtual bool SaveFile(const std::string& InitialDir, const std::string& Proposal,
                        std::string& Chosen) = 0;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& Text) = 0;
  // The confirmation dialog (question icon, OK and Cancel): true for OK.
  virtual bool Confirm(const std::string& Text) = 0;
  // The status label: set and repainted at once.
  virtual void SetInfo(const std::string& Text) = 0;
  // The run starts on file Index (1-based) of the Count picked, FileName
  // as picked, before the label names it; an unreadable file passed over
  // is not told. The window shows its progress in the label alone.
  virtual void StartFile(int /*Index*/, int /*Count*/, const std::string& /*FileName*/) {}
  // The picture control takes a copy of Bitmap and is repainted at once.
  virtual void ShowPicture(const TBitmap24& Bitmap) = 0;
  // False for a host that shows no picture: the run then neither renders
  // the preview nor calls ShowPicture, but still computes the maximum and
  // the preview scale after every file.
  virtual bool ShowsPicture() const { return true; }
  // Repaints the picture at once (after a dialog has covered it).
  virtual void RepaintPicture() = 0;
  // The screen cursor (crHourGlass is the busy cursor).
  virtual int Cursor() = 0;
  virtual void SetCursor(int Id) = 0;
  // How many threads read the files; 1: none besides the run's own.
  virtual int Threads() const { return RunThreadsFromEnvironment(); }
  // How the result is compressed; the window always writes it uncompressed.
  virtual TTiffCompression Compression() { return tcNone; }
  // How the result is laid out; the window always writes tiles.
  virtual TSaveLayout Layout() { return slTiles; }
  // True for a result of 32-bit float samples, each sum divided by the
  // largest; false for the described 16-bit result.
  virtual bool FloatResult() const { return false; }
  // A note that does not end the run, such as a later file's other colour
  // profile; the window has no place for it.
  virtual void Warn(const std::string& /*Text*/) {}
  // True: every file after the first is aligned to the first before it
  // is added, and the result is cut to the area all of them cover.
  virtual bool Align() const { return false; }
  // File Index (0-based, of the picked ones) is added, placed so onto the
  // first file's grid; told for every file added.
  virtual void Placed(size_t /*Index*/, const TPlacement& /*Placement*/) {}
  // The sums are Width x Height; Crop of them is written. Told once the
  // last file is added.
  virtual void Cropped(int /*Width*/, int /*Height*/, const TCropRect& /*Crop*/) {}
};
