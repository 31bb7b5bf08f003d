#pragma once
// The threads of one run: reading ahead, adding, the preview and the
// export all run on them, so a run starts its threads once.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TRunPool {
public:
  // Threads: how many threads the run may keep busy. With more than one,
  // that many workers are started (the run's own thread mostly waits);
  // with one, none. The pool is the current one of the thread that made it
  // and of its workers until it ends.
  explicit TRunPool(int Threads);
  // Runs what is queued, then ends the workers.
  ~TRunPool();
  TRunPool(const TRunPool&) = delete;
  TRunPool& operator=(const TRunPool&) = delete;

  // Workers really started: fewer than asked when the system refused one.
  int Workers() const { return static_cast<int>(FWorkers.size()); }
  // Threads the run really has: the workers, or its own thread alone.
  int Threads() const { return std::max(Workers(), 1); }
  // Queues Task for a worker; a pool without workers must not be given
  // any. Urgent tasks (a share of a pass the caller waits for) go before
  // the others. Task must not raise.
  void Post(std::function<void()> Task, bool Urgent = false);

  // The pool of this thread, or none.
  static TRunPool* Current();

private:
  void Work();

  std::mutex FMutex;
  std::condition_variable FQueued;
  std::deque<std::function<void()>> FUrgent;
  std::deque<std::function<void()>> FOther;
  bool FQuit = false;
  TRunPool* FOuter;
  std::vector<std::thread> FWorkers;
};

// Calls Part(0) .. Part(Parts - 1), Part(0) on the caller's thread, the
// others on idle workers of the current pool; a part no worker has taken
// when the caller is free is done by the caller. Returns when all are
// done. Without a pool every part runs on the caller. Part must not raise.
void RunParts(int Parts, const std::function<void(int Part)>& Part);
