// Where the settings file and the error log go: beside the program and in
// the start folder when those can be written, in the user's XDG folders
// when not. Each case runs in a child process as an ordinary user (root may
// write everywhere) with its own environment.
#include "VekUserFolders.h"
#include "ChildProcess.h"
#include "TempDir.h"
#include "VekSystem.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t Nobody = 65534;

class TUserFoldersTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Open to the ordinary user the cases run as.
    fs::permissions(Temp.Path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    Program = MakeFolder("program", fs::perms::all);
    ReadOnly = MakeFolder("installed", fs::perms::owner_read | fs::perms::owner_exec |
                                           fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
    Home = MakeFolder("home", fs::perms::all);
    Xdg = MakeFolder("xdg", fs::perms::all);
  }

  std::string MakeFolder(const std::string& Name, fs::perms Mode) {
    const fs::path Folder = Temp.Path() / Name;
    fs::create_directory(Folder);
    fs::permissions(Folder, Mode);
    return Folder.string();
  }

  // Body's result, run as an ordinary user with HOME set to the test's
  // home folder and the XDG variables as given (none: unset).
  std::string AsUser(const std::function<std::string()>& Body, const char* ConfigHome = nullptr,
                     const char* StateHome = nullptr) {
    const TChildResult Result = RunInChild([&] {
      if (geteuid() == 0 &&
          (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0))
        throw std::runtime_error("cannot become an ordinary user");
      setenv("HOME", Home.c_str(), 1);
      SetOrUnset("XDG_CONFIG_HOME", ConfigHome);
      SetOrUnset("XDG_STATE_HOME", StateHome);
      return Body();
    });
    EXPECT_TRUE(Result.Exited && Result.ExitCode == 0) << Result.Output;
    return Result.Output;
  }

  static void SetOrUnset(const char* Name, const char* Value) {
    if (Value)
      setenv(Name, Value, 1);
    else
      unsetenv(Name);
  }

  static bool PrivateFolder(const std::string& Folder) {
    return fs::is_directory(Folder) &&
           (fs::status(Folder).permissions() & fs::perms::all) == fs::perms::owner_all;
  }

  TTempDir Temp;
  std::string Program, ReadOnly, Home, Xdg;
};

TEST_F(TUserFoldersTest, AWritableFolderIsKeptAsItIs) {
  EXPECT_EQ(AsUser([&] { return detail::IniFolder(Program + "/"); }, Xdg.c_str()), Program + "/");
  EXPECT_EQ(AsUser([&] { return detail::ErrorLogFolder(Program); }, nullptr, Xdg.c_str()),
            Program + "/");
  EXPECT_EQ(AsUser([&] { return detail::FolderWritable(Program) ? "yes" : "no"; }), "yes");
  // Nothing was made in the user's folders.
  EXPECT_TRUE(fs::is_empty(Xdg));
  EXPECT_TRUE(fs::is_empty(Home));
}

TEST_F(TUserFoldersTest, AReadOnlyFolderMovesToTheXdgFolderNamed) {
  EXPECT_EQ(AsUser([&] { return detail::FolderWritable(ReadOnly) ? "yes" : "no"; }), "no");
  const std::string Config = Xdg + "/config/";
  const std::string State = Xdg + "/deeper/state";
  EXPECT_EQ(AsUser([&] { return detail::IniFolder(ReadOnly + "/"); }, Config.c_str()),
            Config + "velmora/");
  EXPECT_EQ(AsUser([&] { return detail::ErrorLogFolder(ReadOnly); }, nullptr, State.c_str()),
            State + "/velmora/");
  // Created on the way, private to the user.
  EXPECT_TRUE(PrivateFolder(Config + "velmora"));
  EXPECT_TRUE(PrivateFolder(Xdg + "/deeper"));
  EXPECT_TRUE(PrivateFolder(State + "/velmora"));
  EXPECT_TRUE(fs::is_empty(Home));
}

TEST_F(TUserFoldersTest, WithoutAUsableXdgVariableTheHomeDefaultsServe) {
  for (const char* Unusable : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    SCOPED_TRACE(Unusable ? Unusable : "(unset)");
    EXPECT_EQ(AsUser([&] { return detail::IniFolder(ReadOnly + "/"); }, Unusable, Unusable),
              Home + "/.config/velmora/");
    EXPECT_EQ(AsUser([&] { return detail::ErrorLogFolder(ReadOnly); }, Unusable, Unusable),
              Home + "/.local/state/velmora/");
  }
  EXPECT_TRUE(PrivateFolder(Home + "/.config/velmora"));
  EXPECT_TRUE(PrivateFolder(Home + "/.local/state/velmora"));
  // The settings never go to the state folder, nor the log to the config.
  EXPECT_FALSE(fs::exists(Home + "/.local/state/velmora/VadevEzuzeva.ini"));
  EXPECT_FALSE(fs::exists(Xdg + "/velmora"));
}

TEST_F(TUserFoldersTest, AnExistingUserFolderIsUsedAsItIs) {
  const std::string Own = Xdg + "/velmora";
  fs::create_directory(Own);
  fs::permissions(Own, fs::perms::all);
  EXPECT_EQ(AsUser([&] { return detail::IniFolder(ReadOnly); }, Xdg.c_str()), Own + "/");
  EXPECT_EQ(fs::status(Own).permissions() & fs::perms::all, fs::perms::all);
}

// The application object: the error log is fixed against the start folder
// when it is created, the settings file against the program's folder. As
// root's stand-in the test program's folder is read-only; a developer's own
// build folder is writable, which a real file tells.
TEST_F(TUserFoldersTest, TheApplicationObjectPlacesBothFilesByTheRule) {
  const auto StartedIn = [&](const std::string& Folder) {
    return AsUser(
        [&] {
          const std::string Probe = TVekApp::AppPath() + "velmora-probe";
          const bool ProgramWritable = ::mkdir(Probe.c_str(), 0700) == 0;
          if (ProgramWritable)
            ::rmdir(Probe.c_str());
          fs::current_path(Folder);
          TVekSystemScope System;
          App->SetIniFile("VadevEzuzeva.ini");
          const std::string Expected =
              (ProgramWritable ? TVekApp::AppPath() : Xdg + "/velmora/") + "VadevEzuzeva.ini";
          return App->ErrorFileName + "|" +
                 (App->IniFileName == Expected ? "ini ok" : App->IniFileName);
        },
        Xdg.c_str(), (Xdg + "/state").c_str());
  };
  EXPECT_EQ(StartedIn(Program), Program + "/Errors.Txt|ini ok");
  EXPECT_EQ(StartedIn(ReadOnly), Xdg + "/state/velmora/Errors.Txt|ini ok");
}

} // namespace
