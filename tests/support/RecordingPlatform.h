#pragma once
// A platform for tests: records every call the framework makes, keeps the
// three installed events so that a test can fire them, and lets a test set
// the terminating state and make chosen cursors fail to load. Safe to call
// from the log server thread.
#include "VekPlatform.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

class TRecordingPlatform : public TVekPlatform {
public:
  std::string Title() override;
  void ShowMessage(const std::string& Text) override;
  void Beep() override;
  void ProcessPending() override;
  bool Terminating() override { return FTerminating.load(); }
  void LoadCursor(int Id, const std::string& ResourceName) override;
  int Cursor() override;
  void SetCursor(int Id) override;
  void SetExceptionEvent(TExceptionEvent Handler) override;
  void SetIdleEvent(TIdleEvent Handler) override;
  void SetMessageEvent(TMessageEvent Handler) override;

  // What the test controls.
  void SetTitle(const std::string& Title);
  void SetTerminating(bool Value) { FTerminating.store(Value); }
  // LoadCursor raises an Exception for this resource name.
  void FailCursor(const std::string& ResourceName);

  // What was recorded, copied under the lock.
  std::vector<std::string> Messages() const;
  int Beeps() const;
  int PendingCalls() const;
  std::vector<std::pair<int, std::string>> LoadedCursors() const;
  // Every SetCursor argument in call order.
  std::vector<int> CursorChanges() const;
  // "Exception", "Idle" or "Message" followed by " installed" or
  // " cleared", in call order.
  std::vector<std::string> EventChanges() const;

  bool HasExceptionEvent() const;
  bool HasIdleEvent() const;
  bool HasMessageEvent() const;

  // Fire the installed event the way the toolkit would (Done starts true,
  // Handled false) and return the flag; nothing happens without an event.
  // Exceptions from the handler reach the caller.
  bool FireIdle();
  bool FireMessage(TVekMessage& Msg);
  void FireException(const std::string& SenderClass, std::exception_ptr E);

private:
  mutable std::mutex FLock;
  std::atomic<bool> FTerminating{false};
  std::string FTitle = "Velmora";
  std::vector<std::string> FMessages;
  int FBeeps = 0;
  int FPending = 0;
  std::set<std::string> FFailingCursors;
  std::vector<std::pair<int, std::string>> FLoadedCursors;
  int FCursor = crDefault;
  std::vector<int> FCursorChanges;
  std::vector<std::string> FEventChanges;
  TExceptionEvent FExceptionEvent;
  TIdleEvent FIdleEvent;
  TMessageEvent FMessageEvent;
};

// Installs a recording platform for its lifetime and restores the headless
// default afterwards; a member of a test fixture.
class TInstalledRecordingPlatform {
public:
  TInstalledRecordingPlatform() { InstallPlatform(&Recorder); }
  ~TInstalledRecordingPlatform() { InstallPlatform(nullptr); }
  TInstalledRecordingPlatform(const TInstalledRecordingPlatform&) = delete;
  TInstalledRecordingPlatform& operator=(const TInstalledRecordingPlatform&) = delete;

  TRecordingPlatform Recorder;
};
