// The application object: creation, settings file name, error reports and
// the error line they become.
#include "RecordingPlatform.h"
#include "VekAppTestFixture.h"
#include "VekExceptions.h"
#include "VekReport.h"

#include <chrono>
#include <ctime>
#include <regex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ETestFailure : public Exception {
public:
  using Exception::Exception;
  std::string ClassName() const override { return "ETestFailure"; }
};

// The recording platform is installed before the framework starts and
// removed after it has ended.
class TAppTest : public TAppFixture {
protected:
  void SetUp() override {
    InstallPlatform(&Recorder);
    TAppFixture::SetUp();
  }
  void TearDown() override {
    TAppFixture::TearDown();
    InstallPlatform(nullptr);
  }

  // Reports an ETestFailure with Message the way a catch block does.
  void ReportFailure(const std::string& Source, const std::string& Message,
                     const std::string& Info = "") {
    try {
      throw ETestFailure(Message);
    } catch (...) {
      App->ReportError(Source, Info);
    }
  }

  TRecordingPlatform Recorder;
};

std::string ProgramFolder() {
  return fs::canonical("/proc/self/exe").parent_path().string() + "/";
}

std::time_t ParseStamp(const std::string& Stamp) {
  std::tm Local{};
  Local.tm_isdst = -1;
  // At midnight exactly the log leaves the time out.
  if (!strptime(Stamp.c_str(), "%d.%m.%Y %H:%M:%S", &Local) &&
      !strptime(Stamp.c_str(), "%d.%m.%Y", &Local))
    return -1;
  return std::mktime(&Local);
}

TEST_F(TAppTest, CreationFixesTheLogLoadsCursorsAndMovesToTheProgramFolder) {
  EXPECT_EQ(App->ErrorFileName, (Temp.Path() / "Errors.Txt").string());
  EXPECT_EQ(fs::current_path().string() + "/", ProgramFolder());
  EXPECT_EQ(TVekApp::AppPath(), ProgramFolder());
  EXPECT_EQ(App->MaxErrorFileSize, 10000000);
  EXPECT_EQ(App->ComputerName, MachineName());
  EXPECT_FALSE(App->AlwaysShowErrors);
  EXPECT_TRUE(App->ShowErrors);
  EXPECT_TRUE(App->IniFileName.empty());
  const std::vector<std::string> Names = {
      "CR_NORMAL",    "CR_NORMALHIDE", "CR_NORMALSHOW", "CR_RANGE_UP",  "CR_RANGE_DOWN",
      "CR_MOVE",      "CR_MOVE_NS",    "CR_MOVE_WE",    "CR_MOVE_NWSE", "CR_MOVE_NESW",
      "CR_CROSSHAIR", "CR_HANDOPEN",   "CR_HANDCLOSED", "CR_ERASE",     "CR_ARROW_NS",
      "CR_ARROW_SN",  "CR_ARROW_WE",   "CR_ARROW_EW"};
  const auto Loaded = Recorder.LoadedCursors();
  ASSERT_EQ(Loaded.size(), Names.size());
  for (size_t I = 0; I < Names.size(); ++I) {
    EXPECT_EQ(Loaded[I].first, 6900 + static_cast<int>(I));
    EXPECT_EQ(Loaded[I].second, Names[I]);
  }
}

TEST_F(TAppTest, AFailedCreationStepIsReportedAndTheRestSkipped) {
  Finish();
  Recorder.FailCursor("CR_RANGE_UP");
  fs::current_path(Temp.Path());
  InitVekSystem();
  // The first start loaded all 18, the second stopped at the fourth.
  EXPECT_EQ(Recorder.LoadedCursors().size(), 18u + 3u);
  EXPECT_EQ(fs::current_path(), Temp.Path()); // the folder change was skipped
  Finish();
  EXPECT_NE(ErrorLog().find(
                "\\App.Create: (Exception)      Cursor resource CR_RANGE_UP not found    \r\n"),
            std::string::npos)
      << ErrorLog();
}

TEST_F(TAppTest, SetIniFileResolvesBareNamesAndKeepsPaths) {
  App->SetIniFile("  VadevEzuzeva.ini ");
  EXPECT_EQ(App->IniFileName, ProgramFolder() + "VadevEzuzeva.ini");
  App->SetIniFile(ProgramFolder() + "VadevEzuzeva.ini");
  EXPECT_EQ(App->IniFileName, ProgramFolder() + "VadevEzuzeva.ini");
  App->SetIniFile("sub/settings.ini");
  EXPECT_EQ(App->IniFileName, "sub/settings.ini");
  App->SetIniFile("C:settings.ini");
  EXPECT_EQ(App->IniFileName, "C:settings.ini");
  App->SetIniFile("old\\style.ini");
  EXPECT_EQ(App->IniFileName, "old\\style.ini");
  App->SetIniFile(" \t ");
  EXPECT_TRUE(App->IniFileName.empty());
  Finish();
  EXPECT_FALSE(fs::exists(Temp.File("Errors.Txt")));
}

TEST_F(TAppTest, SettingsGoToTheNamedFile) {
  const std::string Ini = Temp.File("settings.ini");
  App->SetIniFile(Ini);
  EXPECT_EQ(App->ReadIniInteger("Config", "FilterIndex", 1), 1);
  App->WriteIniString("Config", "Path", "/photos/");
  App->WriteIniInteger("Config", "FilterIndex", 2);
  EXPECT_EQ(App->ReadIniString("Config", "Path", "none"), "/photos/");
  EXPECT_EQ(App->ReadIniInteger("Config", "FilterIndex", 1), 2);
  EXPECT_NE(ReadBytes(Ini).find("Path=/photos/"), std::string::npos);
}

TEST_F(TAppTest, AnExceptionBecomesOneExactLine) {
  const std::string Computer = App->ComputerName;
  // The log reads the precise clock; std::time may read the kernel's coarse
  // one, which lags it by up to a tick, so the bounds come from the same clock.
  const auto Now = [] {
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  };
  const std::time_t Before = Now();
  ReportFailure("S", "M");
  const std::time_t After = Now();
  Finish();
  const std::string Log = ErrorLog();
  std::smatch Match;
  ASSERT_TRUE(std::regex_match(Log, Match,
                               std::regex(R"((\d\d\.\d\d\.\d{4}(?: \d\d:\d\d:\d\d)?)   (.*)\r\n)")))
      << Log;
  EXPECT_EQ(Match[2].str(), Computer + "\\S: (ETestFailure)      M    ");
  const std::time_t Stamp = ParseStamp(Match[1].str());
  EXPECT_GE(Stamp, Before);
  EXPECT_LE(Stamp, After);
}

TEST_F(TAppTest, LineBreaksFoldAndLinesEndInCrLf) {
  const std::string Computer = App->ComputerName;
  ReportFailure("Src", "first\r\nsecond ", "info.tif");
  App->LogError("Plain", "  text\r\n", "");
  Finish();
  const std::string Stamp = R"(\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?   )";
  std::smatch Match;
  const std::string Log = ErrorLog();
  ASSERT_TRUE(std::regex_match(Log, Match, std::regex(Stamp + "(.*)\r\n" + Stamp + "(.*)\r\n")))
      << Log;
  EXPECT_EQ(Match[2].str(), Computer + "\\Src: (ETestFailure)      first      second    info.tif");
  EXPECT_EQ(Match[4].str(), Computer + "\\Plain: text    ");
}

TEST_F(TAppTest, OnErrorMayChangeOrSuppressAReport) {
  App->OnError = [](TVekApp&, std::string& Source, bool& Report, std::string& Info,
                    std::string& Text) {
    if (Source == "quiet") {
      Report = false;
      return;
    }
    Source = "changed";
    Info = "more";
    Text = "(X)\r\nnew";
  };
  App->AlwaysShowErrors = true;
  ReportFailure("quiet", "never");
  ReportFailure("loud", "old");
  Finish();
  const std::string Log = ErrorLog();
  EXPECT_EQ(Log.find("never"), std::string::npos);
  EXPECT_EQ(Log.find("old"), std::string::npos);
  EXPECT_NE(Log.find("\\changed: (X)      new    more\r\n"), std::string::npos) << Log;
  EXPECT_EQ(Recorder.Messages(), std::vector<std::string>{"changed\r\n(X)\r\nnew\r\nmore"});
}

TEST_F(TAppTest, MessageBoxesOnlyWhenAskedFor) {
  if (DevEnvRunning())
    GTEST_SKIP() << "a debugger is attached: every report shows a box";
  ReportFailure("S", "default flags");
  EXPECT_TRUE(Recorder.Messages().empty());
  App->AlwaysShowErrors = true;
  ReportFailure("S", "M");
  EXPECT_EQ(Recorder.Messages(), std::vector<std::string>{"S\r\n(ETestFailure)\r\nM\r\n"});
  App->ShowErrors = false;
  ReportFailure("S", "hidden");
  EXPECT_EQ(Recorder.Messages().size(), 1u);
}

TEST_F(TAppTest, TheSilentAbortIsRaisedAgainAndNeverLogged) {
  App->AlwaysShowErrors = true;
  try {
    throw EAbort();
  } catch (...) {
    EXPECT_THROW(App->ReportError("S", ""), EAbort);
  }
  EXPECT_THROW(App->ReportException("S", std::make_exception_ptr(EAbort()), ""), EAbort);
  Finish();
  EXPECT_FALSE(fs::exists(Temp.File("Errors.Txt")));
  EXPECT_TRUE(Recorder.Messages().empty());
}

TEST_F(TAppTest, NothingIsReportedWhileTerminatingOrFinalizing) {
  App->AlwaysShowErrors = true;
  Recorder.SetTerminating(true);
  ReportFailure("S", "terminating");
  Recorder.SetTerminating(false);
  AppFinalized = true; // as the finalisation's first step does
  App->LogError("S", "finalizing", "");
  App->ErrorFileName.clear();
  AppFinalized = false;
  App->LogError("S", "log switched off", "");
  Finish();
  EXPECT_FALSE(fs::exists(Temp.File("Errors.Txt")));
  // Boxes do not depend on the log, only on the terminating state.
  EXPECT_EQ(Recorder.Messages(),
            (std::vector<std::string>{"S\r\nfinalizing\r\n", "S\r\nlog switched off\r\n"}));
}

TEST_F(TAppTest, StartUpRoutesToolboxReportsAndUncaughtExceptionsToApp) {
  try {
    throw ETestFailure("from the toolbox");
  } catch (...) {
    ReportError("VekUtil.Test", "tool info");
  }
  ASSERT_TRUE(Recorder.HasExceptionEvent());
  Recorder.FireException("TFormMain2", std::make_exception_ptr(ETestFailure("uncaught")));
  Finish();
  EXPECT_FALSE(Recorder.HasExceptionEvent());
  const std::string Log = ErrorLog();
  EXPECT_NE(Log.find("\\VekUtil.Test: (ETestFailure)      from the toolbox    tool info\r\n"),
            std::string::npos)
      << Log;
  EXPECT_NE(
      Log.find("\\Global Exception in Class TFormMain2: (ETestFailure)      uncaught    \r\n"),
      std::string::npos)
      << Log;
}

} // namespace
