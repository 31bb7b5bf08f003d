#pragma once
// The files of a run read ahead on other cores while the run adds them in
// their order. What the run sees does not change: each file is taken at
// its own turn, and when reading it ahead failed, or the file changed
// since, it is read again at its turn, so that its failure surfaces then
// as it would have. The files are read by tasks on the run's pool; with
// a pool without workers every file is read at its turn.
#include "Exposure.h"
#include "RunPool.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TReadAhead {
public:
  struct TFile {
    std::string Name;
    TExposureKind Kind = TExposureKind::Other;
  };
  // Raises to refuse a file of this size before its pixels are read.
  using TCheck = std::function<void(int Width, int Height)>;

  // Files: the run's files in their order; those of kind Other are never
  // read. Pool: whose workers read, as many at once as it has. Pictures of more than MaxPixels
  // pixels are not read ahead: the run refuses them by their size.
  // Available: the memory the buffers may be planned from. Planes: TIFFs
  // are read into planes (see TExposure).
  TReadAhead(std::vector<TFile> Files, TRunPool& Pool, int64_t MaxPixels, int64_t Available,
             bool Planes = false);
  // Stops what is read ahead and waits for every task.
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // File Index at its turn: its header read and handed to Check, then its
  // pixels. Raises what reading the file raises at its turn, or what
  // Check raises. The exposure stays the caller's until Done.
  TExposure& Take(size_t Index, const TCheck& Check);
  // The file taken last is added and shown: its buffers serve later files.
  void Done(size_t Index);
  // File Index is passed over at its turn.
  void Skip(size_t Index);
  // Stops, waits for every task and frees every buffer.
  void Release();

  // Whether file Index, when its turn comes, is taken without waiting and
  // without a buffer of its own: read ahead whole, its pixels in memory.
  bool Ready(size_t Index) const;
  // Files being read by the threads now.
  int Reading() const;
  // Files held in memory at once, as planned from the first header read
  // (1 before that); for the tests of the plan.
  int Slots() const;

  struct TJob;

private:
  void Work();
  void ReadJob(TJob& Job, std::unique_lock<std::mutex>& Lock);
  size_t NextToStart() const;
  bool CanStart() const;
  void StartTasks();
  TExposure* FreeSlot();
  void PlanSlots(int64_t Pixels);
  void FixSize(int Width, int Height);
  bool Worth(const TJob& Job) const;
  TExposure& AtTurn(TJob& Job, const TCheck& Check);

  mutable std::mutex FMutex;
  std::condition_variable FChanged;
  std::vector<std::unique_ptr<TJob>> FJobs;
  size_t FNext = 0;
  TRunPool& FPool;
  const int FThreadCount;
  // Tasks posted to the pool and not yet ended.
  int FTasks = 0;
  const int64_t FMaxPixels;
  const int64_t FAvailable;
  const bool FPlanes;
  int FSlotLimit = 1;
  bool FPlanned = false;
  bool FQuit = false;
  // The size of the first file the run accepted.
  bool FFixed = false;
  int FFixedWidth = 0;
  int FFixedHeight = 0;
  std::vector<std::unique_ptr<TExposure>> FSlots;
  std::vector<TExposure*> FFree;
};
