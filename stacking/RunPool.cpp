#include "RunPool.h"

#include <atomic>
#include <memory>
#include <system_error>

namespace {

thread_local TRunPool* CurrentPool = nullptr;

// One pass shared out by RunParts. Workers that come late find every part
// taken and leave; they hold the state, not the caller's frame.
struct TShare {
  explicit TShare(int Parts) : Parts(Parts) {}
  const int Parts;
  std::atomic<int> Next{1};
  std::mutex Mutex;
  std::condition_variable AllDone;
  int Done = 1;
};

// Takes and runs parts until none is left.
void RunTaken(TShare& Share, const std::function<void(int)>& Part) {
  for (int Taken; (Taken = Share.Next++) < Share.Parts;) {
    Part(Taken);
    const std::lock_guard Lock(Share.Mutex);
    if (++Share.Done == Share.Parts)
      Share.AllDone.notify_all();
  }
}

} // namespace

TRunPool::TRunPool(int Threads) : FOuter(CurrentPool) {
  CurrentPool = this;
  if (Threads < 2)
    return;
  try {
    for (int I = 0; I < Threads; ++I)
      FWorkers.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer workers than asked: Workers() tells how many.
  }
}

TRunPool::~TRunPool() {
  {
    const std::lock_guard Lock(FMutex);
    FQuit = true;
  }
  FQueued.notify_all();
  for (std::thread& Worker : FWorkers)
    Worker.join();
  CurrentPool = FOuter;
}

TRunPool* TRunPool::Current() {
  return CurrentPool;
}

void TRunPool::Post(std::function<void()> Task, bool Urgent) {
  {
    const std::lock_guard Lock(FMutex);
    (Urgent ? FUrgent : FOther).push_back(std::move(Task));
  }
  FQueued.notify_one();
}

void TRunPool::Work() {
  CurrentPool = this;
  std::unique_lock Lock(FMutex);
  for (;;) {
    FQueued.wait(Lock, [this] { return FQuit || !FUrgent.empty() || !FOther.empty(); });
    auto& Queue = !FUrgent.empty() ? FUrgent : FOther;
    if (Queue.empty())
      return;
    const std::function<void()> Task = std::move(Queue.front());
    Queue.pop_front();
    Lock.unlock();
    Task();
    Lock.lock();
  }
}

void RunParts(int Parts, const std::function<void(int Part)>& Part) {
  TRunPool* Pool = TRunPool::Current();
  std::shared_ptr<TShare> Share;
  try {
    if (Parts > 1 && Pool && Pool->Workers() > 0)
      Share = std::make_shared<TShare>(Parts);
  } catch (const std::bad_alloc&) {
    // The caller does every part.
  }
  if (!Share) {
    for (int Index = 0; Index < Parts; ++Index)
      Part(Index);
    return;
  }
  for (int Index = 1; Index < Parts; ++Index) {
    try {
      Pool->Post([Share, &Part] { RunTaken(*Share, Part); }, true);
    } catch (const std::bad_alloc&) {
      break; // the caller takes what is left
    }
  }
  Part(0);
  RunTaken(*Share, Part);
  std::unique_lock Lock(Share->Mutex);
  Share->AllDone.wait(Lock, [&] { return Share->Done == Share->Parts; });
}
