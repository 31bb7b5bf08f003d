#pragma once
// The background thread that appends queued log records to their files, so
// that a thread reporting an error only formats a record and pushes it.
//
// A record is six fields joined by "*": file name, reset flag ("True" or
// "False"), size limit in bytes (0 or less: none), keep-tail flag, time text
// (may be empty) and the line, which may itself contain "*".
//
// Ownership: the application object owns its server (see TVekApp). The
// server ends by itself after IdleTimeoutMs without lines, when the
// application terminates, or on Terminate(); it then clears its owner's
// LogServer under LogLock, and its owner joins and frees it later. Its
// destructor asks it to stop and joins its thread, so nothing dangles.
#include "VekQueue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TVekApp;

class TVekLogServer {
public:
  // Starts the thread at once. Owner is the application object whose
  // LogServer this server clears when it ends and through which it reports
  // its own write failures.
  explicit TVekLogServer(TVekApp& Owner);
  ~TVekLogServer();
  TVekLogServer(const TVekLogServer&) = delete;
  TVekLogServer& operator=(const TVekLogServer&) = delete;

  // The stop request: the server writes what is queued and ends.
  void Terminate();
  bool Terminated();

  // Producers push under LogLock; only the server's thread pops.
  TVekThreadStringQueue Queue;

  // The pause between two looks at the queue.
  static constexpr std::chrono::milliseconds CycleSleep{100};
  // The server ends after this long without a line written. Tests shorten it.
  static std::atomic<uint32_t> IdleTimeoutMs;
  // Called on the server's thread once it has decided to end, just before
  // it detaches; lets tests push a line at that worst moment. Set it only
  // while no server runs.
  static std::function<void()> OnEnding;

private:
  void Execute();
  // One cycle's work: every batch until the queue is empty. FileName
  // receives the file of the record being handled, for the failure report.
  void HandleQueue(std::string& FileName, uint32_t& LastWrite);
  void HandleBatch(std::string& FileName, uint32_t& LastWrite);
  // Waits CycleSleep, or less when the stop request comes.
  void SleepCycle();
  // Under LogLock: detaches from the owner unless records are waiting and
  // KeepPending is set. Returns whether the server may end.
  bool Detach(bool KeepPending);

  TVekApp& FOwner;
  std::mutex FStopMutex;
  std::condition_variable FStopSignal;
  bool FStop = false;
  // Last member: the thread starts once everything above exists.
  std::thread FThread;
};

namespace detail {

// Encodes a file name for the record's first field so that a "*" in it
// (legal in names here) cannot shift the fields; names without "*" or "%"
// stay as they are.
std::string EncodeLogFileName(const std::string& FileName);
std::string DecodeLogFileName(const std::string& Field);

// FileName with Stamp inserted before the extension of its name part
// ("a/Errors.Txt" -> "a/Errors" + Stamp + ".Txt"); appended when it has none.
std::string StampedFileName(const std::string& FileName, const std::string& Stamp);

} // namespace detail
