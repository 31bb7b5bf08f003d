#include "VekLogServer.h"

#include "VekApp.h"
#include "VekExceptions.h"
#include "VekFileNames.h"
#include "VekPlatform.h"
#include "VekUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <sys/resource.h>
#include <unistd.h>

std::atomic<uint32_t> TVekLogServer::IdleTimeoutMs{20000};
std::function<void()> TVekLogServer::OnEnding;

namespace detail {

std::string EncodeLogFileName(const std::string& FileName) {
  std::string Field;
  for (char Ch : FileName) {
    if (Ch == '%')
      Field += "%25";
    else if (Ch == '*')
      Field += "%2A";
    else
      Field += Ch;
  }
  return Field;
}

std::string DecodeLogFileName(const std::string& Field) {
  std::string FileName;
  for (size_t I = 0; I < Field.size(); ++I) {
    if (Field.compare(I, 3, "%25") == 0) {
      FileName += '%';
      I += 2;
    } else if (Field.compare(I, 3, "%2A") == 0) {
      FileName += '*';
      I += 2;
    } else {
      FileName += Field[I];
    }
  }
  return FileName;
}

std::string StampedFileName(const std::string& FileName, const std::string& Stamp) {
  return ChangeFileExt(FileName, Stamp + ExtractFileExt(FileName));
}

} // namespace detail

namespace {

uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// One step above normal. An ordinary user may not raise a thread's
// priority on Linux, so a refusal is expected and ignored.
void RaiseThreadPriority() {
  const pid_t Thread = gettid();
  errno = 0;
  const int Nice = getpriority(PRIO_PROCESS, static_cast<id_t>(Thread));
  if (errno == 0)
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(Thread), Nice - 1);
}

struct TLogRecord {
  std::string FileName;
  bool ResetFile = false;
  int32_t MaxSize = 0;
  bool KeepTail = false;
  std::string TimeText;
  std::string Line;
};

TLogRecord SplitRecord(std::string Rest) {
  TLogRecord R;
  std::string Field;
  GetParam(Rest, "*", Field);
  R.FileName = detail::DecodeLogFileName(Field);
  GetParam(Rest, "*", Field);
  R.ResetFile = BVal(Field);
  GetParam(Rest, "*", Field);
  R.MaxSize = static_cast<int32_t>(static_cast<uint32_t>(IVal(Field)));
  GetParam(Rest, "*", Field);
  R.KeepTail = BVal(Field);
  GetParam(Rest, "*", Field);
  R.TimeText = Trim(Field);
  R.Line = Rest;
  return R;
}

// A rename that never replaces an existing file, as the log rotation
// expects: a taken name makes the rename fail instead of destroying the
// older log.
void RenameNoReplace(const std::string& From, const std::string& To) {
  if (renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), RENAME_NOREPLACE) == 0)
    return;
  if (errno != EINVAL && errno != ENOSYS)
    return;
  // File systems without the flag: a hard link fails on a taken name too.
  if (link(From.c_str(), To.c_str()) == 0)
    (void)unlink(From.c_str());
}

bool NameTaken(const std::string& FileName) {
  std::error_code Ignored;
  return FileReadable(FileName) ||
         std::filesystem::exists(std::filesystem::symlink_status(FileName, Ignored));
}

// Renames the oversized log with today's date before its extension, and
// with the time too when that name is taken. A failure is ignored: the file
// keeps growing until a later rename succeeds.
void RotateFile(const std::string& FileName) {
  const TDateTime Now = std::chrono::system_clock::now();
  const std::string DayStamp = FormatStamp(" yyyy-mm-dd", Now);
  std::string NewName = detail::StampedFileName(FileName, DayStamp);
  if (NameTaken(NewName))
    NewName = detail::StampedFileName(FileName, DayStamp + FormatStamp(" hh-nn-ss zzz", Now));
  RenameNoReplace(FileName, NewName);
}

[[noreturn]] void RaiseIoError(const std::string& What, const std::string& FileName) {
  throw EInOutError(What + " " + FileName + ": " + std::strerror(errno));
}

// A log file open for appending; closed on every way out.
class TLogFile {
public:
  explicit TLogFile(const std::string& FileName) : FFileName(FileName) {
    FFile = std::fopen(FileName.c_str(), "ab");
    if (!FFile) {
      const std::string Folder = Trim(ExtractFilePath(FileName));
      if (!Folder.empty() && !DirExists(Folder))
        MakeDirPath(Folder);
      FFile = std::fopen(FileName.c_str(), "ab");
    }
    if (!FFile)
      RaiseIoError("Cannot open", FileName);
  }
  ~TLogFile() {
    if (FFile)
      std::fclose(FFile);
  }
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  void Write(const TLogRecord& R) {
    const std::string Text = (R.TimeText.empty() ? R.Line : R.TimeText + "   " + R.Line) + "\r\n";
    if (std::fwrite(Text.data(), 1, Text.size(), FFile) != Text.size())
      RaiseIoError("Cannot write", FFileName);
  }

  void Close() {
    const int Result = std::fclose(FFile);
    FFile = nullptr;
    if (Result != 0)
      RaiseIoError("Cannot write", FFileName);
  }

private:
  std::string FFileName;
  std::FILE* FFile = nullptr;
};

} // namespace

TVekLogServer::TVekLogServer(TVekApp& Owner) : FOwner(Owner), FThread([this] { Execute(); }) {}

TVekLogServer::~TVekLogServer() {
  Terminate();
  if (FThread.joinable())
    FThread.join();
}

void TVekLogServer::Terminate() {
  {
    std::lock_guard<std::mutex> Guard(FStopMutex);
    FStop = true;
  }
  FStopSignal.notify_all();
}

bool TVekLogServer::Terminated() {
  std::lock_guard<std::mutex> Guard(FStopMutex);
  return FStop;
}

void TVekLogServer::SleepCycle() {
  std::unique_lock<std::mutex> Guard(FStopMutex);
  FStopSignal.wait_for(Guard, CycleSleep, [this] { return FStop; });
}

void TVekLogServer::Execute() {
  RaiseThreadPriority();
  uint32_t LastWrite = TickCount();
  for (;;) {
    bool Failed = false;
    std::string FileName;
    try {
      SleepCycle();
      HandleQueue(FileName, LastWrite);
    } catch (...) {
      Failed = true;
      try {
        FOwner.ReportError("TVekLogServer.Execute.SaveFile", FileName);
      } catch (...) {
        // Nowhere left to report to; the next cycle tries again.
      }
    }
    const bool Leaving = Platform().Terminating() || Terminated();
    const bool Idle = static_cast<uint32_t>(TickCount() - LastWrite) > IdleTimeoutMs.load();
    // Records that keep failing are given up once the server has been idle
    // for the whole timeout; on the way out everything queued is written
    // (no new lines arrive then, and every cycle takes at least one).
    if (!Leaving && !Idle)
      continue;
    if (OnEnding)
      OnEnding();
    if (Detach(Leaving || !Failed))
      return;
  }
}

bool TVekLogServer::Detach(bool KeepPending) {
  std::lock_guard<std::recursive_mutex> Guard(LogLock);
  // A record pushed after the last look at the queue is written first.
  if (KeepPending && !Queue.IsEmpty())
    return false;
  if (FOwner.LogServer == this)
    FOwner.LogServer = nullptr;
  return true;
}

void TVekLogServer::HandleQueue(std::string& FileName, uint32_t& LastWrite) {
  while (!Queue.IsEmpty())
    HandleBatch(FileName, LastWrite);
}

void TVekLogServer::HandleBatch(std::string& FileName, uint32_t& LastWrite) {
  std::this_thread::yield();
  std::string Record;
  Queue.Pop(Record);
  const TLogRecord First = SplitRecord(Record);
  FileName = First.FileName;
  if (First.ResetFile) {
    (void)std::remove(FileName.c_str());
    if (First.Line.empty())
      return;
  }
  if (First.MaxSize > 0 && FileSizeOf(FileName) > First.MaxSize) {
    if (First.KeepTail)
      CutFileToTail(FileName, static_cast<int64_t>(First.MaxSize) * 3 / 4);
    else
      RotateFile(FileName);
  }
  TLogFile File(FileName);
  File.Write(First);
  LastWrite = TickCount();
  const std::string BatchField = detail::EncodeLogFileName(FileName);
  while (!Queue.IsEmpty()) {
    std::string Next;
    Queue.Peek(Next);
    std::string NextFile, NextReset;
    GetParam(Next, "*", NextFile);
    GetParam(Next, "*", NextReset);
    if (NextFile != BatchField || BVal(NextReset))
      break;
    Queue.Pop(Record);
    File.Write(SplitRecord(Record));
    LastWrite = TickCount();
  }
  File.Close();
}
