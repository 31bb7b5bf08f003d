#pragma once
// The framework's application object: the settings file, the error log
// written by the log server thread, the custom cursors, and the registries
// of idle and message clients with the application's three events.
#include "VekClients.h"
#include "VekPlatform.h"
#include "VekUtil.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class TVekApp;
class TVekList;
class TVekLogServer;

// Called by LogError before anything is written or shown; may change
// every argument, and suppress the report by clearing Report.
using TVekErrorEvent = std::function<void(TVekApp& Sender, std::string& Source, bool& Report,
                                          std::string& Info, std::string& Text)>;

class TVekApp {
public:
  TVekApp();
  virtual ~TVekApp();
  TVekApp(const TVekApp&) = delete;
  TVekApp& operator=(const TVekApp&) = delete;

  // Folder of the running program, ending in the path separator.
  static std::string AppPath();

  // Settings.
  void SetIniFile(const std::string& Name);
  std::string ReadIniString(const std::string& Section, const std::string& Key,
                            const std::string& Default);
  int64_t ReadIniInteger(const std::string& Section, const std::string& Key, int64_t Default);
  void WriteIniString(const std::string& Section, const std::string& Key, const std::string& Value);
  void WriteIniInteger(const std::string& Section, const std::string& Key, int64_t Value);

  // Error reports. E empty means the exception currently being handled.
  void ReportError(const std::string& Source, const std::string& Info);
  void ReportException(const std::string& Source, std::exception_ptr E, const std::string& Info);
  void LogError(const std::string& Source, const std::string& Text, const std::string& Info);
  // Time empty: no time stamp.
  void AddLogLine(const std::string& FileName, const std::string& Text,
                  std::optional<TDateTime> Time, int32_t MaxSize, bool KeepTail);

  // Uncaught exceptions and client dispatch.
  void HandleAppException(const std::string& SenderClass, std::exception_ptr E);
  virtual void AddMessageClient(TVekMessageClient* Client);
  virtual void RemoveMessageClient(TVekMessageClient* Client);
  virtual void AddIdleClient(TVekIdleClient* Client);
  virtual void RemoveIdleClient(TVekIdleClient* Client);
  void OnIdle(bool& Done);
  void OnMessage(TVekMessage& Msg, bool& Handled);

  bool ClientsChanged = false;
  // Exist only while they hold at least one client.
  std::unique_ptr<TVekList> IdleClients;
  std::unique_ptr<TVekList> MessageClients;
  // The running log server, or none; guarded by LogLock. The server clears
  // it when it ends; the object itself is owned by FLogServer below.
  TVekLogServer* LogServer = nullptr;
  std::string ErrorFileName;
  std::string IniFileName;
  bool AlwaysShowErrors = false;
  bool ShowErrors = true;
  int32_t MaxErrorFileSize = 10000000;
  std::string ComputerName;
  TVekErrorEvent OnError;

private:
  // Joins and frees a server that has ended; creates and starts a new one.
  // Under LogLock.
  void StartLogServer();

  // Owns the current server, running or ended; an ended one is joined and
  // freed when the next one starts or when the object goes. Under LogLock.
  std::unique_ptr<TVekLogServer> FLogServer;
  // Set by the destructor: no further line is queued while it waits for the
  // server, so the server's last cycles always come to an end.
  bool FClosing = false;
};

// The single application object; none before InitVekSystem and after
// FinalizeVekSystem.
extern TVekApp* App;
// Guards App->LogServer and the creation of the log server; taken before
// the log queue's own lock when both are held.
extern std::recursive_mutex LogLock;
// True from the start of the finalisation on: no line is queued any more.
extern std::atomic<bool> AppFinalized;
