#include "ReadAhead.h"

#include "ReadAheadPlan.h"

#include <algorithm>
#include <atomic>
#include <sys/stat.h>
#include <utility>

struct TReadAhead::TJob {
  enum class TPhase : uint8_t { Waiting, Header, Pixels, Done };
  // What the file was when it was read ahead: a change since shows here.
  struct TStamp {
    bool Valid = false;
    struct stat Info {};
  };

  std::string Name;
  TExposureKind Kind = TExposureKind::Other;
  TPhase Phase = TPhase::Waiting;
  // Read by the run itself at its turn, or passed over: no thread starts it.
  bool Claimed = false;
  bool HeaderOk = false;
  bool PixelsOk = false;
  int Width = 0;
  int Height = 0;
  TStamp Stamp;
  TExposure* Slot = nullptr;
  std::atomic<bool> Stop{false};
};

namespace {

using TJob = TReadAhead::TJob;
using TPhase = TJob::TPhase;

TJob::TStamp StampOf(const std::string& FileName) {
  TJob::TStamp Stamp;
  Stamp.Valid = stat(FileName.c_str(), &Stamp.Info) == 0;
  return Stamp;
}

bool SameFile(const TJob::TStamp& A, const TJob::TStamp& B) {
  const struct stat& X = A.Info;
  const struct stat& Y = B.Info;
  return A.Valid && B.Valid && X.st_dev == Y.st_dev && X.st_ino == Y.st_ino &&
         X.st_size == Y.st_size && X.st_mtim.tv_sec == Y.st_mtim.tv_sec &&
         X.st_mtim.tv_nsec == Y.st_mtim.tv_nsec && X.st_ctim.tv_sec == Y.st_ctim.tv_sec &&
         X.st_ctim.tv_nsec == Y.st_ctim.tv_nsec;
}

// What a file of the kind may hold per pixel while it is read: a decoded
// JPEG, a TIFF's 16-bit samples (a streamed TIFF holds only a strip), or
// a raw file's planes besides LibRaw's raw samples and its four-sample
// working picture.
int BytesPerPixel(TExposureKind Kind) {
  switch (Kind) {
  case TExposureKind::Tiff:
    return 6;
  case TExposureKind::Raw:
    return 16;
  default:
    return 3;
  }
}

} // namespace

// The rules the read-ahead keeps, all under FMutex:
// - Files start in their order: FNext is the first file no task has
//   started, and only a task takes a file there. A file the run reads
//   itself or passes over is claimed and never started by a task.
// - A task starts a file only into a free buffer slot or a new one while
//   fewer than FSlotLimit exist, so the buffers stay within the plan.
// - At most FThreadCount tasks are posted at once; a task reads files
//   until none can start, then ends. Whatever frees a slot or raises the
//   limit posts tasks again.
// - A task that cannot get a slot for want of memory ends and leaves the
//   file where it is: a later task or the run at its turn reads it.
// - A picture the run would refuse by its header is not decoded ahead.
TReadAhead::TReadAhead(std::vector<TFile> Files, TRunPool& Pool, int64_t MaxPixels,
                       int64_t Available, bool Planes)
    : FPool(Pool), FThreadCount(Pool.Workers()), FMaxPixels(MaxPixels), FAvailable(Available),
      FPlanes(Planes) {
  for (TFile& File : Files) {
    auto Job = std::make_unique<TJob>();
    Job->Name = std::move(File.Name);
    Job->Kind = File.Kind;
    // The run ends at such a file or passes over it; it is never read.
    Job->Claimed = File.Kind == TExposureKind::Other;
    FJobs.push_back(std::move(Job));
  }
  const std::lock_guard Lock(FMutex);
  StartTasks();
}

TReadAhead::~TReadAhead() {
  Release();
}

void TReadAhead::Release() {
  std::unique_lock Lock(FMutex);
  FQuit = true;
  for (const auto& Job : FJobs)
    Job->Stop = true;
  FChanged.wait(Lock, [this] { return FTasks == 0; });
  for (const auto& Job : FJobs)
    Job->Slot = nullptr;
  FFree.clear();
  FSlots.clear();
}

int TReadAhead::Reading() const {
  const std::lock_guard Lock(FMutex);
  return static_cast<int>(std::count_if(FJobs.begin(), FJobs.end(), [](const auto& Job) {
    return Job->Phase == TPhase::Header || Job->Phase == TPhase::Pixels;
  }));
}

bool TReadAhead::Ready(size_t Index) const {
  const std::lock_guard Lock(FMutex);
  return Index < FJobs.size() && FJobs[Index]->Phase == TPhase::Done && FJobs[Index]->PixelsOk;
}

int TReadAhead::Slots() const {
  const std::lock_guard Lock(FMutex);
  return FSlotLimit;
}

size_t TReadAhead::NextToStart() const {
  size_t Next = FNext;
  while (Next < FJobs.size() && FJobs[Next]->Claimed)
    ++Next;
  return Next;
}

bool TReadAhead::CanStart() const {
  return !FQuit && NextToStart() < FJobs.size() &&
         (!FFree.empty() || static_cast<int>(FSlots.size()) < FSlotLimit);
}

void TReadAhead::StartTasks() {
  while (FTasks < FThreadCount && CanStart()) {
    try {
      FPool.Post([this] { Work(); });
    } catch (const std::bad_alloc&) {
      return; // the files are read at their turn
    }
    ++FTasks;
  }
}

TExposure* TReadAhead::FreeSlot() {
  if (!FFree.empty()) {
    TExposure* Slot = FFree.back();
    FFree.pop_back();
    return Slot;
  }
  FSlots.push_back(std::make_unique<TExposure>(FPlanes));
  return FSlots.back().get();
}

void TReadAhead::PlanSlots(int64_t Pixels) {
  int Bytes = 3;
  for (const auto& Job : FJobs)
    Bytes = std::max(Bytes, BytesPerPixel(Job->Kind));
  FSlotLimit = ReadAheadSlots(FThreadCount, Pixels, Bytes, FAvailable);
  FPlanned = true;
  StartTasks();
}

void TReadAhead::FixSize(int Width, int Height) {
  const std::lock_guard Lock(FMutex);
  if (!FPlanned)
    PlanSlots(static_cast<int64_t>(Width) * Height);
  FFixed = true;
  FFixedWidth = Width;
  FFixedHeight = Height;
}

// A picture the run would refuse by its size is not worth decoding ahead.
bool TReadAhead::Worth(const TJob& Job) const {
  if (static_cast<int64_t>(Job.Width) * Job.Height > FMaxPixels)
    return false;
  if (FFixed)
    return Job.Width == FFixedWidth && Job.Height == FFixedHeight;
  // Until the run has fixed the size, the first file's header stands for it.
  for (const auto& First : FJobs) {
    if (First->Kind == TExposureKind::Other)
      continue;
    if (First.get() == &Job || !First->HeaderOk)
      return true;
    return First->Width == Job.Width && First->Height == Job.Height;
  }
  return true;
}

void TReadAhead::Work() {
  std::unique_lock Lock(FMutex);
  while (CanStart()) {
    FNext = NextToStart();
    TJob& Job = *FJobs[FNext];
    try {
      Job.Slot = FreeSlot();
    } catch (const std::bad_alloc&) {
      break;
    }
    ++FNext;
    ReadJob(Job, Lock);
  }
  --FTasks;
  FChanged.notify_all();
}

// Reads Job's header and, when the run will want them, its pixels; the
// lock is let go meanwhile.
void TReadAhead::ReadJob(TJob& Job, std::unique_lock<std::mutex>& Lock) {
  Job.Phase = TPhase::Header;
  Lock.unlock();
  // Stamped before reading: a change during the read shows at the turn.
  Job.Stamp = StampOf(Job.Name);
  bool Ok = true;
  try {
    Job.Slot->ReadHeader(Job.Name, Job.Kind);
  } catch (...) {
    Ok = false;
  }
  Lock.lock();
  Job.HeaderOk = Ok;
  if (Ok) {
    Job.Width = Job.Slot->Width();
    Job.Height = Job.Slot->Height();
    if (!FPlanned)
      PlanSlots(static_cast<int64_t>(Job.Width) * Job.Height);
  }
  const bool Go = Ok && !Job.Stop && Worth(Job);
  Job.Phase = Go ? TPhase::Pixels : TPhase::Done;
  FChanged.notify_all();
  if (!Go)
    return;
  Lock.unlock();
  Ok = true;
  try {
    Job.Slot->ReadPixels(&Job.Stop);
  } catch (...) {
    Ok = false;
  }
  Lock.lock();
  Job.PixelsOk = Ok;
  Job.Phase = TPhase::Done;
  FChanged.notify_all();
}

TExposure& TReadAhead::Take(size_t Index, const TCheck& Check) {
  TJob& Job = *FJobs.at(Index);
  std::unique_lock Lock(FMutex);
  if (Job.Phase == TPhase::Waiting) {
    // Not started yet: read here and now. Files start in order, so no
    // later file holds a slot, and every earlier one is done: the slot
    // taken is one given back, or the first.
    Job.Claimed = true;
    Job.Slot = FreeSlot();
    Lock.unlock();
    return AtTurn(Job, Check);
  }
  FChanged.wait(Lock, [&] { return Job.Phase >= TPhase::Pixels; });
  if (Job.HeaderOk && SameFile(Job.Stamp, StampOf(Job.Name))) {
    const int Width = Job.Width;
    const int Height = Job.Height;
    Lock.unlock();
    // Refused by its header while its pixels may still be read: the run
    // ends without waiting for them.
    Check(Width, Height);
    FixSize(Width, Height);
    Lock.lock();
    FChanged.wait(Lock, [&] { return Job.Phase == TPhase::Done; });
    if (Job.PixelsOk)
      return *Job.Slot;
  } else {
    Job.Stop = true;
    FChanged.wait(Lock, [&] { return Job.Phase == TPhase::Done; });
  }
  Lock.unlock();
  return AtTurn(Job, Check);
}

// As a run without threads reads the file: its failure surfaces here.
TExposure& TReadAhead::AtTurn(TJob& Job, const TCheck& Check) {
  Job.Stop = false;
  TExposure& Exposure = *Job.Slot;
  Exposure.ReadHeader(Job.Name, Job.Kind);
  Check(Exposure.Width(), Exposure.Height());
  FixSize(Exposure.Width(), Exposure.Height());
  Exposure.ReadPixels(nullptr);
  return Exposure;
}

void TReadAhead::Done(size_t Index) {
  {
    const std::lock_guard Lock(FMutex);
    TJob& Job = *FJobs.at(Index);
    if (Job.Slot)
      FFree.push_back(std::exchange(Job.Slot, nullptr));
    StartTasks();
  }
  FChanged.notify_all();
}

void TReadAhead::Skip(size_t Index) {
  std::unique_lock Lock(FMutex);
  TJob& Job = *FJobs.at(Index);
  if (Job.Phase == TPhase::Waiting) {
    Job.Claimed = true;
    return;
  }
  Job.Stop = true;
  FChanged.wait(Lock, [&] { return Job.Phase == TPhase::Done; });
  Lock.unlock();
  Done(Index);
}
