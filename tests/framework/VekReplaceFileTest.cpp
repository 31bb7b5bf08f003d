#include "VekReplaceFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TSiblingWriter Writing(const std::string& Content) {
  return [Content](const std::string&, int Fd) { return WriteAll(Fd, Content); };
}

mode_t ModeOf(const std::string& FileName) {
  struct stat Info {};
  return ::stat(FileName.c_str(), &Info) == 0 ? Info.st_mode & 07777 : 0;
}

// The id of a process that has ended and been reaped.
pid_t GonePid() {
  const pid_t Child = fork();
  if (Child == 0)
    _exit(0);
  waitpid(Child, nullptr, 0);
  return Child;
}

} // namespace

TEST(VekReplaceFile, NewContentReplacesTheFileAndNothingElseIsLeft) {
  TTempDir Dir;
  const std::string Name = Dir.File("data.txt");
  ASSERT_TRUE(ReplaceFileDurably(Name, Writing("first")));
  EXPECT_EQ(ReadBytes(Name), "first");
  ASSERT_TRUE(ReplaceFileDurably(Name, Writing("second, longer")));
  EXPECT_EQ(ReadBytes(Name), "second, longer");
  ASSERT_TRUE(ReplaceFileDurably(Name, Writing("")));
  EXPECT_EQ(ReadBytes(Name), "");
  EXPECT_EQ(Dir.Names(), std::vector<std::string>{"data.txt"});

  // The writer may write by name as well: the sibling is in the same folder.
  ASSERT_TRUE(ReplaceFileDurably(Name, [&](const std::string& Sibling, int) {
    EXPECT_EQ(fs::path(Sibling).parent_path(), Dir.Path());
    WriteBytes(Sibling, "by name");
    return true;
  }));
  EXPECT_EQ(ReadBytes(Name), "by name");

  // A name without a folder is in the current one.
  const fs::path Old = fs::current_path();
  fs::current_path(Dir.Path());
  const bool Relative = ReplaceFileDurably("plain.txt", Writing("here"));
  fs::current_path(Old);
  EXPECT_TRUE(Relative);
  EXPECT_EQ(ReadBytes(Dir.File("plain.txt")), "here");
  EXPECT_EQ(Dir.Names(), (std::vector<std::string>{"data.txt", "plain.txt"}));
}

TEST(VekReplaceFile, AnyFailureLeavesTheFileUntouchedAndRemovesTheSibling) {
  TTempDir Dir;
  const std::string Name = Dir.File("data.txt");
  WriteBytes(Name, "old");

  EXPECT_FALSE(ReplaceFileDurably(Name, [](const std::string& Sibling, int Fd) {
    WriteAll(Fd, "half");
    return Sibling.empty();
  }));
  EXPECT_EQ(ReadBytes(Name), "old");
  EXPECT_EQ(Dir.Names(), std::vector<std::string>{"data.txt"});

  EXPECT_THROW(ReplaceFileDurably(Name,
                                  [](const std::string&, int Fd) -> bool {
                                    WriteAll(Fd, "half");
                                    throw std::runtime_error("writer failed");
                                  }),
               std::runtime_error);
  EXPECT_EQ(ReadBytes(Name), "old");
  EXPECT_EQ(Dir.Names(), std::vector<std::string>{"data.txt"});

  // A folder in the target's place cannot be replaced by a file.
  fs::create_directory(Dir.File("folder"));
  WriteBytes(Dir.File("folder/inside"), "kept");
  EXPECT_FALSE(ReplaceFileDurably(Dir.File("folder"), Writing("new")));
  EXPECT_EQ(ReadBytes(Dir.File("folder/inside")), "kept");
  EXPECT_EQ(Dir.Names(), (std::vector<std::string>{"data.txt", "folder"}));

  // No folder to write in, or no name at all.
  EXPECT_FALSE(ReplaceFileDurably(Dir.File("missing/data.txt"), Writing("new")));
  EXPECT_FALSE(ReplaceFileDurably(Dir.File("folder/"), Writing("new")));
  EXPECT_FALSE(ReplaceFileDurably("", Writing("new")));
  EXPECT_EQ(Dir.Names(), (std::vector<std::string>{"data.txt", "folder"}));
}

TEST(VekReplaceFile, AccessModeKeptOnlyWhenAskedFor) {
  TTempDir Dir;
  const std::string Name = Dir.File("data.txt");
  WriteBytes(Name, "old");
  ASSERT_EQ(::chmod(Name.c_str(), 0604), 0);
  ASSERT_TRUE(ReplaceFileDurably(Name, Writing("kept mode"), TReplaceMode::KeepMode));
  EXPECT_EQ(ModeOf(Name), 0604u);

  const mode_t Mask = ::umask(022);
  ASSERT_TRUE(ReplaceFileDurably(Name, Writing("new mode")));
  ::umask(Mask);
  EXPECT_EQ(ModeOf(Name), 0644u);
  EXPECT_EQ(ReadBytes(Name), "new mode");
}

TEST(VekReplaceFile, SiblingsOfEndedProcessesGoThoseOfLiveOnesStay) {
  TTempDir Dir;
  const std::string Name = Dir.File("out.tif");
  const std::string Gone = ".out.tif." + std::to_string(GonePid()) + ".0.tmp";
  const std::string Live = ".out.tif." + std::to_string(getppid()) + ".3.tmp";
  const std::string Other = ".other.tif." + std::to_string(GonePid()) + ".0.tmp";
  for (const std::string& Leftover : {Gone, Live, Other})
    WriteBytes(Dir.File(Leftover), "leftover");
  ASSERT_TRUE(ReplaceFileDurably(Name, Writing("new")));
  EXPECT_EQ(ReadBytes(Name), "new");
  EXPECT_EQ(Dir.Names(), (std::vector<std::string>{Other, Live, "out.tif"}));
}

TEST(VekReplaceFile, SiblingNamesAreRecognisedExactly) {
  long Pid = 0;
  EXPECT_TRUE(detail::IsSiblingName(".a.tif.123.4.tmp", "a.tif", Pid));
  EXPECT_EQ(Pid, 123);
  EXPECT_TRUE(detail::IsSiblingName("..a.b.77.0.tmp", ".a.b", Pid));
  EXPECT_EQ(Pid, 77);
  for (const char* Name :
       {".a.tif.123.4.tmp.x", "a.tif.123.4.tmp", ".a.tif.123.tmp", ".a.tif..4.tmp",
        ".a.tif.12x.4.tmp", ".a.tif.0.4.tmp", ".a.tif.123.4.5.tmp", ".b.tif.123.4.tmp",
        ".a.tif.99999999999.1.tmp", ".a.tif.tmp", ""})
    EXPECT_FALSE(detail::IsSiblingName(Name, "a.tif", Pid)) << Name;
  EXPECT_FALSE(detail::IsSiblingName("..1.1.tmp", "", Pid));
}
