// The log server under load and with an error log it cannot write.
#include "Sanitizers.h"
#include "VekAppTestFixture.h"

#include <barrier>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

namespace {

using TLogServerLoadTest = TAppFixture;

// Lines per reporter: VELMORA_LOAD_REPORTS when set, else 10000 (2000
// under ThreadSanitizer).
int ReportsPerThread() {
  if (const char* Given = std::getenv("VELMORA_LOAD_REPORTS"))
    return std::max(10, std::atoi(Given));
  return ThreadSanitized() ? 2000 : 10000;
}

// Eight reporters; the server ends whenever it finds its queue empty, so
// servers end and start all through the run. Ten times the reporters also
// meet and wait until the server has really ended, so at least ten servers
// take part. Every line must arrive once, each reporter's in its order.
TEST_F(TLogServerLoadTest, EveryLineOnceInOrderWhileServersComeAndGo) {
  constexpr int Threads = 8, Meetings = 10;
  const int Reports = ReportsPerThread();
  const int Burst = Reports / Meetings;
  TVekLogServer::IdleTimeoutMs = 0;
  App->MaxErrorFileSize = 0; // the whole run in one file, never cut
  int Ended = 0;
  std::barrier Meeting(Threads, [&]() noexcept {
    if (WaitFor([] { return !ServerRunning(); }))
      ++Ended;
  });
  std::vector<std::thread> Reporters;
  for (int T = 0; T < Threads; ++T)
    Reporters.emplace_back([T, Reports, Burst, &Meeting] {
      for (int I = 0; I < Reports; ++I) {
        App->ReportError("Load", std::to_string(T) + " " + std::to_string(I));
        if (I % Burst == Burst - 1 && I / Burst < Meetings)
          Meeting.arrive_and_wait();
      }
    });
  for (std::thread& Reporter : Reporters)
    Reporter.join();
  Finish();
  EXPECT_EQ(Ended, Meetings);

  const std::string Log = ErrorLog();
  std::vector<int> Next(Threads, 0);
  size_t Start = 0, Lines = 0, Strays = 0;
  while (Start < Log.size()) {
    size_t End = Log.find("\r\n", Start);
    if (End == std::string::npos)
      End = Log.size();
    const std::string Text = Log.substr(Start, End - Start);
    const size_t Tag = Text.find("\\Load:");
    int T = -1, I = -1;
    if (Tag == std::string::npos || std::sscanf(Text.c_str() + Tag, "\\Load: %d %d", &T, &I) != 2 ||
        T < 0 || T >= Threads || I != Next[T])
      ++Strays;
    else
      Next[T] = I + 1;
    ++Lines;
    Start = End + 2;
  }
  EXPECT_EQ(Strays, 0u);
  EXPECT_EQ(Lines, static_cast<size_t>(Threads) * Reports);
  EXPECT_EQ(Next, std::vector<int>(Threads, Reports));
}

// An error log below a regular file can neither be opened nor have its
// folder made. Each failure is reported from the server's thread with the
// log's name, and that report is the next cycle's attempt: one per poll
// step, until the idle time has passed; then the server ends and the
// program carries on.
TEST_F(TLogServerLoadTest, AnUnwritableLogIsRetriedOncePerCycleThenGivenUp) {
  WriteBytes(Temp.File("blocker"), "a file, not a folder");
  const std::string Blocked = Temp.File("blocker/logs/Errors.Txt");
  App->ErrorFileName = Blocked;
  TVekLogServer::IdleTimeoutMs = 2000;
  std::mutex Guard;
  std::set<std::string> Infos;
  std::set<std::thread::id> Reporters;
  int Failures = 0;
  App->OnError = [&](TVekApp&, std::string& Source, bool&, std::string& Info, std::string&) {
    if (Source != "TVekLogServer.Execute.SaveFile")
      return;
    std::lock_guard<std::mutex> Lock(Guard);
    ++Failures;
    Infos.insert(Info);
    Reporters.insert(std::this_thread::get_id());
  };
  const auto Begin = std::chrono::steady_clock::now();
  App->ReportError("Fault", "first");
  ASSERT_TRUE(WaitFor([] { return !ServerRunning(); }));
  const auto Elapsed = std::chrono::steady_clock::now() - Begin;

  {
    std::lock_guard<std::mutex> Lock(Guard);
    RecordProperty("Attempts", Failures);
    RecordProperty(
        "ElapsedMs",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Elapsed).count()));
    EXPECT_GE(Failures, 2) << "a failed write is tried again";
    // No busy loop: at most one attempt per poll step, plus one for the
    // cycle under way when the clock was read.
    EXPECT_LE(Failures, Elapsed / TVekLogServer::CycleSleep + 2);
    EXPECT_EQ(Infos, std::set<std::string>{Blocked});
    EXPECT_EQ(Reporters.size(), 1u);
    EXPECT_EQ(Reporters.count(std::this_thread::get_id()), 0u);
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(Temp.File("blocker")));

  App->OnError = nullptr;
  App->ErrorFileName = Temp.File("Errors.Txt");
  App->ReportError("After", "still reporting");
  Finish();
  EXPECT_NE(ErrorLog().find("\\After:"), std::string::npos) << ErrorLog();
}

} // namespace
