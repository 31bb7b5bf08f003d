#include "VekApp.h"

#include "VekClients.h"
#include "VekCursors.h"
#include "VekExceptions.h"
#include "VekFileNames.h"
#include "VekList.h"
#include "VekLogServer.h"
#include "VekUserFolders.h"

#include <array>
#include <climits>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <unistd.h>

TVekApp* App = nullptr;
std::atomic<bool> AppFinalized{false};
std::recursive_mutex LogLock;

namespace {

// "dd.MM.yyyy hh:mm:ss" in local time, 24-hour; the time part is left out
// at midnight exactly.
std::string FormatLogTime(TDateTime Time) {
  const std::time_t Seconds = std::chrono::system_clock::to_time_t(Time);
  std::tm Local{};
  localtime_r(&Seconds, &Local);
  char Text[80];
  if (Local.tm_hour == 0 && Local.tm_min == 0 && Local.tm_sec == 0)
    std::snprintf(Text, sizeof Text, "%02d.%02d.%04d", Local.tm_mday, Local.tm_mon + 1,
                  Local.tm_year + 1900);
  else
    std::snprintf(Text, sizeof Text, "%02d.%02d.%04d %02d:%02d:%02d", Local.tm_mday,
                  Local.tm_mon + 1, Local.tm_year + 1900, Local.tm_hour, Local.tm_min,
                  Local.tm_sec);
  return Text;
}

void AddClient(std::unique_ptr<TVekList>& Clients, void* Client,
               const std::function<void()>& InstallEvent) {
  if (!Clients) {
    Clients = std::make_unique<TVekList>();
    InstallEvent();
  }
  Clients->Add(Client);
}

void RemoveClient(bool& ClientsChanged, std::unique_ptr<TVekList>& Clients, const void* Client,
                  const std::function<void()>& ClearEvent) {
  ClientsChanged = true;
  if (!Clients)
    return;
  Clients->Remove(Client);
  if (Clients->Count() == 0) {
    // A handler that was there before the first client is not restored.
    ClearEvent();
    Clients.reset();
  }
}

// Calls every client in order. A client removed during its call has let
// the ones behind it move up a place, so the position then stays; the list
// and its end are read afresh at every step because a call may change both.
template <class TClient, class TCall>
void Dispatch(bool& ClientsChanged, const std::unique_ptr<TVekList>& Clients, TCall Call) {
  int I = 0;
  while (Clients && I <= Clients->LastIndex()) {
    ClientsChanged = false;
    if (auto* Client = static_cast<TClient*>(Clients->Items(I)))
      Call(*Client);
    if (!ClientsChanged)
      ++I;
  }
}

} // namespace

TVekApp::TVekApp() {
  try {
    ErrorFileName = detail::ErrorLogFolder(std::filesystem::current_path().string()) + "Errors.Txt";
    MaxErrorFileSize = 10000000;
    ComputerName = MachineName();
    AlwaysShowErrors = false;
    ShowErrors = true;
    for (size_t I = 0; I < LoadedCursorCount; ++I)
      Platform().LoadCursor(FirstCursorId + static_cast<int>(I), std::string(CursorNames[I]));
    std::filesystem::current_path(AppPath());
  } catch (...) {
    ReportError("App.Create", "");
  }
}

TVekApp::~TVekApp() {
  {
    std::lock_guard<std::recursive_mutex> Guard(LogLock);
    FClosing = true;
    if (LogServer)
      LogServer->Terminate();
  }
  // Outside LogLock: the server takes it once more to detach. The join
  // returns once it has written what was queued and its thread is gone.
  FLogServer.reset();
}

std::string TVekApp::AppPath() {
  std::string Path(PATH_MAX, '\0');
  const ssize_t Length = readlink("/proc/self/exe", Path.data(), Path.size());
  if (Length <= 0 || static_cast<size_t>(Length) >= Path.size())
    throw Exception("The program's folder cannot be determined");
  Path.resize(static_cast<size_t>(Length));
  return ExtractFilePath(Path);
}

void TVekApp::SetIniFile(const std::string& Name) {
  try {
    const std::string NewName = Trim(Name);
    if (NewName == IniFileName)
      return;
    if (NewName.empty())
      IniFileName.clear();
    else if (HasChar(NewName, '/') || HasChar(NewName, '\\') || HasChar(NewName, ':'))
      IniFileName = NewName;
    else
      IniFileName = detail::IniFolder(AppPath()) + NewName;
  } catch (...) {
    ReportError("App.SetIniFile", "");
  }
}

std::string TVekApp::ReadIniString(const std::string& Section, const std::string& Key,
                                   const std::string& Default) {
  return IniReadStr(IniFileName, Section, Key, Default);
}

int64_t TVekApp::ReadIniInteger(const std::string& Section, const std::string& Key,
                                int64_t Default) {
  return IniReadInt(IniFileName, Section, Key, Default);
}

void TVekApp::WriteIniString(const std::string& Section, const std::string& Key,
                             const std::string& Value) {
  IniWriteStr(IniFileName, Section, Key, Value);
}

void TVekApp::WriteIniInteger(const std::string& Section, const std::string& Key, int64_t Value) {
  IniWriteInt(IniFileName, Section, Key, Value);
}

void TVekApp::ReportError(const std::string& Source, const std::string& Info) {
  ReportException(Source, nullptr, Info);
}

void TVekApp::ReportException(const std::string& Source, std::exception_ptr E,
                              const std::string& Info) {
  if (Platform().Terminating())
    return;
  const TExceptionDescription Described = DescribeException(E ? E : std::current_exception());
  if (Described.Kind == TExceptionDescription::SilentAbort)
    throw EAbort();
  LogError(Source, Described.ReportText("\r\n"), Info);
}

void TVekApp::LogError(const std::string& Source, const std::string& Text,
                       const std::string& Info) {
  if (Platform().Terminating())
    return;
  bool Report = true;
  std::string FinalSource = Source;
  std::string FinalInfo = Info;
  std::string FinalText = Text;
  if (OnError)
    OnError(*this, FinalSource, Report, FinalInfo, FinalText);
  if (!Report)
    return;
  if (!ErrorFileName.empty()) {
    const std::string Line =
        ComputerName + "\\" + FinalSource + ": " + Trim(FinalText) + "    " + FinalInfo;
    AddLogLine(ErrorFileName, ReplaceAll(Line, "\r\n", "      ", 1),
               std::chrono::system_clock::now(), MaxErrorFileSize, true);
  }
  // A report made on the log server's thread asks the platform from there;
  // the platform hands the box to its user-interface thread.
  if (ShowErrors && (AlwaysShowErrors || DevEnvRunning()))
    Platform().ShowMessage(FinalSource + "\r\n" + Trim(FinalText) + "\r\n" + FinalInfo);
}

void TVekApp::AddLogLine(const std::string& FileName, const std::string& Text,
                         std::optional<TDateTime> Time, int32_t MaxSize, bool KeepTail) {
  if (Trim(FileName).empty() || AppFinalized)
    return;
  const std::string TimeText = Time ? FormatLogTime(*Time) : std::string();
  const std::string Record = detail::EncodeLogFileName(FileName) + "*False*" +
                             std::to_string(MaxSize) + "*" + (KeepTail ? "True" : "False") + "*" +
                             TimeText + "*" + Text;
  std::lock_guard<std::recursive_mutex> Guard(LogLock);
  if (FClosing)
    return;
  if (!LogServer)
    StartLogServer();
  LogServer->Queue.Push(Record);
}

void TVekApp::StartLogServer() {
  // An ended server has released LogLock for good, so joining it here,
  // under the lock, cannot wait on us.
  FLogServer.reset();
  FLogServer = std::make_unique<TVekLogServer>(*this);
  LogServer = FLogServer.get();
}

// Uncaught exceptions and the client registries.

void TVekApp::HandleAppException(const std::string& SenderClass, std::exception_ptr E) {
  if (DescribeException(E).Kind == TExceptionDescription::SilentAbort)
    return;
  ReportException("Global Exception in Class " + Trim(SenderClass), E, "");
}

void TVekApp::AddIdleClient(TVekIdleClient* Client) {
  try {
    if (!Client)
      return;
    AddClient(IdleClients, Client, [] {
      Platform().SetIdleEvent([](bool& Done) {
        if (App)
          App->OnIdle(Done);
      });
    });
  } catch (const std::exception&) {
    ReportError("App.AddIdleClient", "");
  }
}

void TVekApp::RemoveIdleClient(TVekIdleClient* Client) {
  try {
    RemoveClient(ClientsChanged, IdleClients, Client, [] { Platform().SetIdleEvent(nullptr); });
  } catch (const std::exception&) {
    ReportError("App.RemoveIdleClient", "");
  }
}

void TVekApp::AddMessageClient(TVekMessageClient* Client) {
  try {
    if (!Client)
      return;
    AddClient(MessageClients, Client, [] {
      Platform().SetMessageEvent([](TVekMessage& Msg, bool& Handled) {
        if (App)
          App->OnMessage(Msg, Handled);
      });
    });
  } catch (const std::exception&) {
    ReportError("App.AddMessageClient", "");
  }
}

void TVekApp::RemoveMessageClient(TVekMessageClient* Client) {
  try {
    RemoveClient(ClientsChanged, MessageClients, Client,
                 [] { Platform().SetMessageEvent(nullptr); });
  } catch (const std::exception&) {
    ReportError("App.RemoveMessageClient", "");
  }
}

// A silent abort from a handler passes every catch here: ReportError
// raises it again, so it ends the pass unreported.
void TVekApp::OnIdle(bool& Done) {
  try {
    Dispatch<TVekIdleClient>(ClientsChanged, IdleClients,
                             [&](TVekIdleClient& Client) { Client.DoIdle(Done); });
  } catch (const std::exception&) {
    ReportError("App.OnIdle", "");
  }
}

void TVekApp::OnMessage(TVekMessage& Msg, bool& Handled) {
  try {
    Dispatch<TVekMessageClient>(ClientsChanged, MessageClients,
                                [&](TVekMessageClient& Client) { Client.DoMessage(Msg, Handled); });
  } catch (const std::exception&) {
    ReportError("App.OnMessage", "");
  }
}
