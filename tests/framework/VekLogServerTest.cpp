// The log server: record fields, batches, size limits, folders, its end
// after the idle time and its write failures.
#include "VekAppTestFixture.h"

#include <barrier>
#include <ctime>
#include <regex>

namespace fs = std::filesystem;

namespace {

using TLogServerTest = TAppFixture;

TDateTime LocalTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
  std::tm Local{};
  Local.tm_year = Year - 1900;
  Local.tm_mon = Month - 1;
  Local.tm_mday = Day;
  Local.tm_hour = Hour;
  Local.tm_min = Minute;
  Local.tm_sec = Second;
  Local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&Local));
}

std::vector<std::string> FileNamesIn(const fs::path& Folder) {
  std::vector<std::string> Names;
  for (const auto& Entry : fs::directory_iterator(Folder))
    Names.push_back(Entry.path().filename().string());
  std::sort(Names.begin(), Names.end());
  return Names;
}

std::string Repeat(const std::string& Line, int Times) {
  std::string Text;
  for (int I = 0; I < Times; ++I)
    Text += Line;
  return Text;
}

TEST_F(TLogServerTest, WritesTimeTextAndLineOrTheLineAlone) {
  const std::string Log = Temp.File("Times.log");
  App->AddLogLine(Log, "plain", std::nullopt, 0, true);
  App->AddLogLine(Log, "stamped", LocalTime(2024, 3, 5, 7, 8, 9), 0, true);
  App->AddLogLine(Log, "midnight", LocalTime(2024, 12, 31, 0, 0, 0), 0, true);
  App->AddLogLine(Log, "a*b**c*", std::nullopt, 0, true);
  Finish();
  EXPECT_EQ(ReadBytes(Log), "plain\r\n"
                            "05.03.2024 07:08:09   stamped\r\n"
                            "31.12.2024   midnight\r\n"
                            "a*b**c*\r\n");
}

TEST_F(TLogServerTest, FileNamesWithStarsOrPercentSignsAreKept) {
  const std::string Starred = Temp.File("a*b%2A.log");
  App->AddLogLine(Starred, "one", std::nullopt, 0, true);
  Finish();
  EXPECT_EQ(ReadBytes(Starred), "one\r\n");
  EXPECT_EQ(FileNamesIn(Temp.Path()), std::vector<std::string>{"a*b%2A.log"});
}

TEST_F(TLogServerTest, EmptyOrBlankFileNamesQueueNothing) {
  App->AddLogLine("", "x", std::nullopt, 0, true);
  App->AddLogLine("  ", "x", std::nullopt, 0, true);
  EXPECT_FALSE(ServerRunning());
}

// A rotation happens only at the start of a batch, so the rotated files show
// how the records were grouped: A A B A must give the batches (A A), (B), (A).
TEST_F(TLogServerTest, ConsecutiveRecordsForOneFileFormOneBatch) {
  const std::string A = Temp.File("A.txt");
  const std::string B = Temp.File("B.txt");
  const std::string Old = Repeat("old\r\n", 10);
  WriteBytes(A, Old);
  const std::string A1 = "A1-xxxxxxxxxxxx", A2 = "A2-xxxxxxxxxxxx", A3 = "A3-xxxxxxxxxxxx";
  // 17 bytes a line: one line alone is over the limit already.
  QueueTogether({{A, A1}, {A, A2}, {B, "B1"}, {A, A3}}, 16, false);
  Finish();

  EXPECT_EQ(ReadBytes(A), A3 + "\r\n");
  EXPECT_EQ(ReadBytes(B), "B1\r\n");
  const std::regex DayName(R"(A \d{4}-\d\d-\d\d\.txt)");
  const std::regex TimeName(R"(A \d{4}-\d\d-\d\d \d\d-\d\d-\d\d \d{3}\.txt)");
  std::vector<std::string> DayNames, TimeNames;
  for (const std::string& Name : FileNamesIn(Temp.Path())) {
    if (std::regex_match(Name, DayName))
      DayNames.push_back(Name);
    else if (std::regex_match(Name, TimeName))
      TimeNames.push_back(Name);
  }
  ASSERT_EQ(DayNames.size(), 1u);
  ASSERT_EQ(TimeNames.size(), 1u);
  EXPECT_EQ(ReadBytes(Temp.File(DayNames[0])), Old);
  EXPECT_EQ(ReadBytes(Temp.File(TimeNames[0])), A1 + "\r\n" + A2 + "\r\n");
  EXPECT_EQ(FileNamesIn(Temp.Path()).size(), 5u); // A, B, Warm and the two rotated files
}

TEST_F(TLogServerTest, RotationStampsTheNameNotTheFolders) {
  fs::create_directory(Temp.Path() / "logs.Txt");
  const std::string InFolder = Temp.File("logs.Txt/Errors.Txt");
  const std::string NoExtension = Temp.File("logs.Txt/journal");
  WriteBytes(InFolder, Repeat("x\r\n", 10));
  WriteBytes(NoExtension, Repeat("y\r\n", 10));
  QueueTogether({{InFolder, "new"}, {NoExtension, "next"}}, 20, false);
  Finish();

  EXPECT_EQ(ReadBytes(InFolder), "new\r\n");
  EXPECT_EQ(ReadBytes(NoExtension), "next\r\n");
  const std::vector<std::string> Names = FileNamesIn(Temp.Path() / "logs.Txt");
  ASSERT_EQ(Names.size(), 4u);
  EXPECT_TRUE(std::regex_match(Names[0], std::regex(R"(Errors \d{4}-\d\d-\d\d\.Txt)"))) << Names[0];
  EXPECT_EQ(Names[1], "Errors.Txt");
  EXPECT_EQ(Names[2], "journal");
  EXPECT_TRUE(std::regex_match(Names[3], std::regex(R"(journal \d{4}-\d\d-\d\d)"))) << Names[3];
}

// Limit 40 keeps 30: a file of exactly 40 bytes is not cut; once over the
// limit it is cut to its newest lines, starting at a line.
TEST_F(TLogServerTest, KeepTailCutsToThreeQuartersAtALineStart) {
  const std::string A = Temp.File("A.log");
  const std::string B = Temp.File("B.log");
  WriteBytes(A, "L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5\r\nL6\r\nL7\r\nL8\r\nL9\r\n");
  QueueTogether({{A, "N1"}, {B, "b"}, {A, "N2"}}, 40, true);
  Finish();
  EXPECT_EQ(ReadBytes(A), "L4\r\nL5\r\nL6\r\nL7\r\nL8\r\nL9\r\nN1\r\nN2\r\n");
  EXPECT_EQ(ReadBytes(B), "b\r\n");
}

TEST_F(TLogServerTest, NoLimitNeverTouchesTheFile) {
  const std::string A = Temp.File("A.log");
  const std::string Big = Repeat("0123456789\r\n", 100);
  WriteBytes(A, Big);
  App->AddLogLine(A, "more", std::nullopt, 0, true);
  App->AddLogLine(A, "still", std::nullopt, -5, false);
  Finish();
  EXPECT_EQ(ReadBytes(A), Big + "more\r\nstill\r\n");
}

TEST_F(TLogServerTest, MissingFoldersAreCreated) {
  const std::string Deep = Temp.File("one/two/three/deep.log");
  App->AddLogLine(Deep, "line", std::nullopt, 0, true);
  Finish();
  EXPECT_EQ(ReadBytes(Deep), "line\r\n");
}

// The reset field is never set by AddLogLine; records carrying it are
// pushed by hand here.
TEST_F(TLogServerTest, ResetRecordsDeleteTheFileFirst) {
  const std::string Gone = Temp.File("gone.log");
  const std::string Fresh = Temp.File("fresh.log");
  WriteBytes(Gone, "old\r\n");
  WriteBytes(Fresh, "old\r\n");
  {
    std::lock_guard<std::recursive_mutex> Guard(LogLock);
    App->AddLogLine(Fresh, "kept before reset", std::nullopt, 0, true);
    App->LogServer->Queue.Push(Gone + "*True*0*False**");
    App->LogServer->Queue.Push(Fresh + "*True*0*False**new");
    App->LogServer->Queue.Push(Fresh + "*False*0*False**newer");
  }
  Finish();
  EXPECT_FALSE(fs::exists(Gone));
  EXPECT_EQ(ReadBytes(Fresh), "new\r\nnewer\r\n");
}

TEST_F(TLogServerTest, EverythingQueuedIsWrittenBeforeTheAppGoes) {
  const std::string Log = Temp.File("many.log");
  std::string Expected;
  for (int I = 0; I < 500; ++I) {
    App->AddLogLine(Log, std::to_string(I), std::nullopt, 0, true);
    Expected += std::to_string(I) + "\r\n";
  }
  Finish();
  EXPECT_EQ(ReadBytes(Log), Expected);
}

TEST_F(TLogServerTest, EndsWhenIdleAndTheNextLineStartsAnother) {
  TVekLogServer::IdleTimeoutMs = 50;
  const std::string Log = Temp.File("idle.log");
  App->AddLogLine(Log, "one", std::nullopt, 0, true);
  EXPECT_TRUE(ServerRunning());
  ASSERT_TRUE(WaitFor([] { return !ServerRunning(); }));
  EXPECT_EQ(ReadBytes(Log), "one\r\n");
  App->AddLogLine(Log, "two", std::nullopt, 0, true);
  EXPECT_TRUE(ServerRunning());
  Finish();
  EXPECT_EQ(ReadBytes(Log), "one\r\ntwo\r\n");
}

// A line queued after the server's last look at the queue, while it is
// ending, is written all the same.
TEST_F(TLogServerTest, ALineQueuedWhileTheServerEndsIsNotLost) {
  TVekLogServer::IdleTimeoutMs = 1;
  const std::string Log = Temp.File("late.log");
  int Endings = 0;
  TVekLogServer::OnEnding = [&] {
    if (++Endings == 1)
      App->AddLogLine(Log, "late", std::nullopt, 0, true);
  };
  App->AddLogLine(Log, "first", std::nullopt, 0, true);
  ASSERT_TRUE(WaitFor([] { return !ServerRunning(); }));
  Finish();
  EXPECT_GE(Endings, 2);
  EXPECT_EQ(ReadBytes(Log), "first\r\nlate\r\n");
}

TEST_F(TLogServerTest, AFailedWriteIsReportedAndLaterRecordsStillArrive) {
  WriteBytes(Temp.File("blocker"), "a file, not a folder");
  const std::string Blocked = Temp.File("blocker/sub/x.log");
  const std::string Good = Temp.File("good.log");
  QueueTogether({{Blocked, "lost"}, {Good, "kept"}}, 0, true);
  ASSERT_TRUE(WaitFor([&] { return ErrorLog().find(Blocked) != std::string::npos; }));
  Finish();
  EXPECT_EQ(ReadBytes(Good), "kept\r\n");
  const std::string Log = ErrorLog();
  EXPECT_NE(Log.find("\\TVekLogServer.Execute.SaveFile: (EInOutError)      "), std::string::npos)
      << Log;
  EXPECT_EQ(Log.substr(Log.size() - Blocked.size() - 6), "    " + Blocked + "\r\n");
}

// Eight reporters in six bursts, meeting after each. After an odd burst the
// server, on its way to end, waits until the next burst has pushed a line:
// the line arrives while it ends and must still be written. After an even
// burst the server really ends, and the next burst starts a new one. Every
// line must arrive once, and each reporter's lines in their order.
TEST_F(TLogServerTest, ConcurrentReportsWhileServersComeAndGo) {
  constexpr int Threads = 8, Reports = 2000, Bursts = 6, Burst = Reports / Bursts;
  std::atomic<int> Reported{0}, Races{0}, Generations{0};
  std::atomic<bool> RaceNext{false}, RaceArmed{false};
  TVekLogServer::IdleTimeoutMs = 0;
  TVekLogServer::OnEnding = [&] {
    if (!RaceNext.exchange(false))
      return;
    const int Seen = Reported;
    RaceArmed = true; // lets the reporters go on
    if (WaitFor([&] { return Reported > Seen; }))
      ++Races;
  };
  int Pauses = 0;
  std::barrier Pause(Threads, [&]() noexcept {
    if (++Pauses % 2 == 1) {
      RaceNext = true;
      WaitFor([&] { return RaceArmed.exchange(false); });
    } else if (WaitFor([] { return !ServerRunning(); })) {
      ++Generations;
    }
  });
  std::vector<std::thread> Reporters;
  for (int T = 0; T < Threads; ++T)
    Reporters.emplace_back([T, &Pause, &Reported] {
      for (int I = 0; I < Reports; ++I) {
        App->ReportError("Stress", std::to_string(T) + " " + std::to_string(I));
        ++Reported;
        if (I % Burst == Burst - 1 && I / Burst < Bursts)
          Pause.arrive_and_wait();
      }
    });
  for (auto& Reporter : Reporters)
    Reporter.join();
  Finish();

  EXPECT_EQ(Races, Bursts / 2);
  EXPECT_EQ(Generations, Bursts / 2);
  std::vector<int> Next(Threads, 0);
  const std::string Log = ErrorLog();
  const std::regex Line(R"(.*\\Stress:     (\d+) (\d+))");
  size_t Start = 0, Lines = 0;
  bool AllMatched = true;
  while (Start < Log.size()) {
    const size_t End = Log.find("\r\n", Start);
    ASSERT_NE(End, std::string::npos);
    std::smatch Match;
    const std::string Text = Log.substr(Start, End - Start);
    if (std::regex_match(Text, Match, Line)) {
      const int T = std::stoi(Match[1]), I = std::stoi(Match[2]);
      AllMatched = AllMatched && T < Threads && I == Next[T];
      if (T < Threads)
        Next[T] = I + 1;
    } else {
      AllMatched = false;
    }
    ++Lines;
    Start = End + 2;
  }
  EXPECT_TRUE(AllMatched);
  EXPECT_EQ(Lines, static_cast<size_t>(Threads * Reports));
  EXPECT_EQ(Next, std::vector<int>(Threads, Reports));
}

} // namespace
