#include "JpegAhead.h"

#include <system_error>

TJpegAhead::TJpegAhead() {
  for (auto& Slot : FSlots)
    Slot = std::make_unique<TSlot>();
}

TJpegAhead::~TJpegAhead() {
  Wait();
}

TJpegAhead::TStamp TJpegAhead::StampOf(const std::string& FileName) {
  TStamp Stamp;
  Stamp.Valid = stat(FileName.c_str(), &Stamp.Info) == 0;
  return Stamp;
}

bool TJpegAhead::SameFile(const TStamp& A, const TStamp& B) {
  const struct stat& X = A.Info;
  const struct stat& Y = B.Info;
  return A.Valid && B.Valid && X.st_dev == Y.st_dev && X.st_ino == Y.st_ino &&
         X.st_size == Y.st_size && X.st_mtim.tv_sec == Y.st_mtim.tv_sec &&
         X.st_mtim.tv_nsec == Y.st_mtim.tv_nsec && X.st_ctim.tv_sec == Y.st_ctim.tv_sec &&
         X.st_ctim.tv_nsec == Y.st_ctim.tv_nsec;
}

void TJpegAhead::Wait() {
  if (FWorker.joinable())
    FWorker.join();
}

void TJpegAhead::StartAhead(int Slot, const std::string& FileName) {
  FAheadName = FileName;
  FAheadFailure = nullptr;
  TSlot& Target = *FSlots[Slot];
  try {
    FWorker = std::thread([this, &Target] {
      // Stamped before reading: a change during the read shows at the turn.
      FAheadStamp = StampOf(FAheadName);
      try {
        LoadJpegBgr(Target.Jpeg, FAheadName, Target.Bitmap);
      } catch (...) {
        FAheadFailure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No second thread: the file is simply decoded at its turn.
    FAheadName.clear();
  }
}

TBitmap24& TJpegAhead::Load(const std::string& FileName, const std::string& Next) {
  Wait();
  const int Ahead = 1 - FCurrent;
  const bool Ready = !FAheadName.empty() && FAheadName == FileName && !FAheadFailure &&
                     SameFile(FAheadStamp, StampOf(FileName));
  FAheadName.clear();
  FAheadFailure = nullptr;
  // Either the file decoded ahead is taken, or the slot it used is free
  // and the file is decoded there now; the other slot gets the next file.
  FCurrent = Ahead;
  if (!Next.empty())
    StartAhead(1 - FCurrent, Next);
  TSlot& Slot = *FSlots[FCurrent];
  if (!Ready)
    LoadJpegBgr(Slot.Jpeg, FileName, Slot.Bitmap);
  return Slot.Bitmap;
}

TBitmap24& TJpegAhead::Current() {
  return FSlots[FCurrent]->Bitmap;
}

void TJpegAhead::Release() {
  Wait();
  FAheadName.clear();
  FAheadFailure = nullptr;
  for (auto& Slot : FSlots)
    Slot = std::make_unique<TSlot>();
}
