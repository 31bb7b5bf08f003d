#pragma once
// The JPEG files of a run, each decoded while the one before it is added:
// the next file is decoded on the second core into a second bitmap. What
// the run sees does not change: a file is taken at its own turn, and when
// its decoding ahead failed, or the file changed since, it is decoded
// again then, so that its failure surfaces at its turn as it would have.
#include "Bitmap24.h"
#include "JpegInput.h"

#include <exception>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>

class TJpegAhead {
public:
  TJpegAhead();
  // Waits for a decoding still under way.
  ~TJpegAhead();
  TJpegAhead(const TJpegAhead&) = delete;
  TJpegAhead& operator=(const TJpegAhead&) = delete;

  // The decoded picture of FileName, as LoadJpegBgr gives it; raises as
  // LoadJpegBgr. Next, when not empty, is decoded ahead meanwhile.
  TBitmap24& Load(const std::string& FileName, const std::string& Next);
  // The bitmap of the file loaded last; free to render into.
  TBitmap24& Current();
  // Waits for the second core and frees both bitmaps and file buffers.
  void Release();

private:
  struct TSlot {
    TJpegImage Jpeg;
    TBitmap24 Bitmap;
  };
  struct TStamp {
    bool Valid = false;
    struct stat Info {};
  };
  static TStamp StampOf(const std::string& FileName);
  static bool SameFile(const TStamp& A, const TStamp& B);
  void Wait();
  void StartAhead(int Slot, const std::string& FileName);

  std::unique_ptr<TSlot> FSlots[2];
  int FCurrent = 0;
  std::thread FWorker;
  // The file decoded ahead, into the slot other than FCurrent.
  std::string FAheadName;
  TStamp FAheadStamp;
  std::exception_ptr FAheadFailure;
};
