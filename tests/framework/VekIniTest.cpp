#include "TempDir.h"
#include "VekUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Names of everything in the folder, to see that no temporary is left over.
std::vector<std::string> Entries(const fs::path& Folder) {
  std::vector<std::string> Names;
  for (const auto& Entry : fs::directory_iterator(Folder))
    Names.push_back(Entry.path().filename().string());
  std::sort(Names.begin(), Names.end());
  return Names;
}

} // namespace

TEST(VekIni, MissingFileGivesDefaults) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  EXPECT_EQ(IniReadStr(Ini, "Config", "Path", "dflt"), "dflt");
  EXPECT_EQ(IniReadInt(Ini, "Config", "FilterIndex", 1), 1);
  EXPECT_EQ(IniReadInt(Ini, "Config", "FilterIndex", -1), 4294967295LL);
  EXPECT_EQ(IniReadInt(Ini, "Config", "FilterIndex", 0x1234567890LL), 0x34567890LL);
  // Blank names: the default comes back as it was.
  EXPECT_EQ(IniReadInt(Ini, "Config", "  ", -1), -1);
  EXPECT_EQ(IniReadInt(Ini, "", "FilterIndex", -1), -1);
  EXPECT_EQ(IniReadStr(Ini, " ", "Path", " untrimmed "), " untrimmed ");
  EXPECT_EQ(IniReadStr("", "Config", "Path", "dflt"), "dflt");
  EXPECT_FALSE(fs::exists(Ini));
}

TEST(VekIni, WriteAndReadBack) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  IniWriteStr(Ini, "Config", "Path", "/home/user/Bilder/");
  IniWriteInt(Ini, "Config", "FilterIndex", 2);
  IniWriteInt(Ini, "Other", "Negative", -7);
  EXPECT_EQ(ReadBytes(Ini), "[Config]\nPath=/home/user/Bilder/\nFilterIndex=2\n"
                            "[Other]\nNegative=-7\n");
  EXPECT_EQ(IniReadStr(Ini, "config", "PATH", ""), "/home/user/Bilder/");
  EXPECT_EQ(IniReadInt(Ini, "Config", "FilterIndex", 1), 2);
  EXPECT_EQ(IniReadInt(Ini, "Other", "Negative", 0), 4294967289LL);
  EXPECT_EQ(IniReadStr(Ini, "Other", "Negative", ""), "-7");
  EXPECT_EQ(IniReadStr(Ini, "Config", "Negative", "none"), "none");

  // Replacing keeps the line in place; an empty value keeps the key.
  IniWriteStr(Ini, "CONFIG", "path", "");
  EXPECT_EQ(ReadBytes(Ini), "[Config]\nPath=\nFilterIndex=2\n[Other]\nNegative=-7\n");
  EXPECT_EQ(IniReadStr(Ini, "Config", "Path", "dflt"), "");
  EXPECT_EQ(IniReadInt(Ini, "Config", "Path", 5), 5); // empty counts as missing

  // Blank names write nothing; names are stored trimmed.
  IniWriteStr(Ini, " ", "Key", "x");
  IniWriteStr(Ini, "Config", "", "x");
  IniWriteStr(Ini, " Config ", " Extra ", " padded value ");
  EXPECT_EQ(IniReadStr(Ini, "Config", "Extra", ""), "padded value");
  EXPECT_EQ(Entries(Dir.Path()), std::vector<std::string>{"s.ini"});
}

TEST(VekIni, HandEditedFileKeepsItsLines) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  const std::string Original = "; written by hand\r\n"
                               "\r\n"
                               "[other]\r\n"
                               "path = elsewhere\r\n"
                               "\r\n"
                               "[ config ]\r\n"
                               "  PATH =  /old/  \r\n"
                               "# a comment=with equals\r\n"
                               "odd line without equals\r\n"
                               "\r\n"
                               "[Third]\r\n"
                               "k=v";
  WriteBytes(Ini, Original);
  EXPECT_EQ(IniReadStr(Ini, "Config", "Path", ""), "/old/");
  EXPECT_EQ(IniReadStr(Ini, "Other", "Path", ""), "elsewhere");
  EXPECT_EQ(IniReadStr(Ini, "Config", "# a comment", "none"), "none");
  EXPECT_EQ(IniReadStr(Ini, "third", "K", ""), "v");

  IniWriteStr(Ini, "Config", "Path", "/new/");
  IniWriteInt(Ini, "Config", "FilterIndex", 3);
  IniWriteStr(Ini, "Fourth", "a", "b");
  EXPECT_EQ(ReadBytes(Ini), "; written by hand\r\n"
                            "\r\n"
                            "[other]\r\n"
                            "path = elsewhere\r\n"
                            "\r\n"
                            "[ config ]\r\n"
                            "  PATH =/new/\r\n"
                            "# a comment=with equals\r\n"
                            "odd line without equals\r\n"
                            "FilterIndex=3\r\n"
                            "\r\n"
                            "[Third]\r\n"
                            "k=v\n"
                            "[Fourth]\r\n"
                            "a=b\r\n");
}

TEST(VekIni, FirstMatchCountsAndLinesCannotBeInjected) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  WriteBytes(Ini, "k=outside\n[S]\nk=first\nk=second\n[s]\nk=third\n");
  EXPECT_EQ(IniReadStr(Ini, "S", "k", ""), "first");
  IniWriteStr(Ini, "s", "K", "new");
  EXPECT_EQ(ReadBytes(Ini), "k=outside\n[S]\nk=new\nk=second\n[s]\nk=third\n");

  IniWriteStr(Ini, "S", "k", "a\r\n[Evil]\nx=1");
  EXPECT_EQ(IniReadStr(Ini, "S", "k", ""), "a  [Evil] x=1");
  EXPECT_EQ(IniReadStr(Ini, "Evil", "x", "none"), "none");
  const std::string Before = ReadBytes(Ini);
  IniWriteStr(Ini, "S", "a=b", "1");
  IniWriteStr(Ini, "S]x", "a", "1");
  IniWriteStr(Ini, "S", "[T]", "1");
  IniWriteStr(Ini, "S", "a\nb", "1");
  EXPECT_EQ(ReadBytes(Ini), Before);
}

TEST(VekIni, LongValuesAreCutTo2047) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  IniWriteStr(Ini, "S", "Exact", std::string(2047, 'a'));
  IniWriteStr(Ini, "S", "Long", std::string(3000, 'b'));
  IniWriteStr(Ini, "S", "CutAtBlank", std::string(2046, 'c') + " tail");
  // "ä" straddling the cut: the half character goes, not the whole value.
  IniWriteStr(Ini, "S", "Umlaut", std::string(2046, 'd') + "\xc3\xa4");
  EXPECT_EQ(IniReadStr(Ini, "S", "Exact", ""), std::string(2047, 'a'));
  EXPECT_EQ(IniReadStr(Ini, "S", "Long", ""), std::string(2047, 'b'));
  EXPECT_EQ(IniReadStr(Ini, "S", "CutAtBlank", ""), std::string(2046, 'c'));
  EXPECT_EQ(IniReadStr(Ini, "S", "Umlaut", ""), std::string(2046, 'd'));
  EXPECT_EQ(IniReadStr(Ini, "S", "Missing", std::string(2100, 'e')), std::string(2047, 'e'));
}

TEST(VekIni, IntegersAsThePlatformReadsThem) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  WriteBytes(Ini, "[N]\na=42\nb= 17abc\nc=-1\nd=0x1F\ne=4294967296\nf=4294967297\n"
                  "g=abc\nh=+5\ni=99999999999\nj=0XffFFffFF\n");
  EXPECT_EQ(IniReadInt(Ini, "N", "a", 0), 42);
  EXPECT_EQ(IniReadInt(Ini, "N", "b", 0), 17);
  EXPECT_EQ(IniReadInt(Ini, "N", "c", 0), 4294967295LL);
  EXPECT_EQ(IniReadInt(Ini, "N", "d", 0), 31);
  EXPECT_EQ(IniReadInt(Ini, "N", "e", 9), 0);
  EXPECT_EQ(IniReadInt(Ini, "N", "f", 9), 1);
  EXPECT_EQ(IniReadInt(Ini, "N", "g", 9), 0);
  EXPECT_EQ(IniReadInt(Ini, "N", "h", 0), 5);
  EXPECT_EQ(IniReadInt(Ini, "N", "i", 0), 99999999999LL % 4294967296LL);
  EXPECT_EQ(IniReadInt(Ini, "N", "j", 0), 4294967295LL);
}

TEST(VekIni, UnusableFilesGiveDefaultsAndLoseNothing) {
  TTempDir Dir;
  // A folder in place of the file.
  const std::string Folder = Dir.File("folder.ini");
  fs::create_directory(Folder);
  EXPECT_EQ(IniReadStr(Folder, "S", "k", "dflt"), "dflt");
  IniWriteStr(Folder, "S", "k", "v");
  EXPECT_TRUE(DirExists(Folder));

  // Binary garbage: defaults, and the garbage survives a write.
  const std::string Garbage = Dir.File("garbage.ini");
  const char Raw[] = "\x00\xff\x01[\x80=\n\x7f\x00]]==\n";
  const std::string Bytes(Raw, sizeof Raw - 1);
  WriteBytes(Garbage, Bytes);
  EXPECT_EQ(IniReadStr(Garbage, "S", "k", "dflt"), "dflt");
  IniWriteStr(Garbage, "S", "k", "v");
  EXPECT_EQ(ReadBytes(Garbage), Bytes + "[S]\nk=v\n");
  EXPECT_EQ(IniReadStr(Garbage, "S", "k", ""), "v");

  // A read-only file is readable but not changed.
  const std::string ReadOnly = Dir.File("ro.ini");
  WriteBytes(ReadOnly, "[S]\nk=old\n");
  ::chmod(ReadOnly.c_str(), 0444);
  IniWriteStr(ReadOnly, "S", "k", "new");
  EXPECT_EQ(IniReadStr(ReadOnly, "S", "k", ""), "old");

  // A missing folder: nothing written, nothing created.
  IniWriteStr(Dir.File("missing/s.ini"), "S", "k", "v");
  EXPECT_FALSE(fs::exists(Dir.File("missing")));
  EXPECT_EQ(Entries(Dir.Path()), (std::vector<std::string>{"folder.ini", "garbage.ini", "ro.ini"}));
}

TEST(VekIni, ReadOnlyFolderFailsSilently) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  IniWriteStr(Ini, "S", "k", "old");
  ::chmod(Dir.Path().c_str(), 0555);
  if (::geteuid() == 0) {
    // The superuser may write anywhere: try as an ordinary user instead.
    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
      if (::setuid(65534) != 0)
        ::_exit(2);
      IniWriteStr(Ini, "S", "k", "new");
      ::_exit(IniReadStr(Ini, "S", "k", "") == "old" ? 0 : 1);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0);
  } else {
    IniWriteStr(Ini, "S", "k", "new");
  }
  ::chmod(Dir.Path().c_str(), 0755);
  EXPECT_EQ(IniReadStr(Ini, "S", "k", ""), "old");
  EXPECT_EQ(Entries(Dir.Path()), std::vector<std::string>{"s.ini"});
}

TEST(VekIni, SymbolicLinkIsFollowed) {
  TTempDir Dir;
  const std::string Target = Dir.File("real.ini");
  const std::string Link = Dir.File("link.ini");
  WriteBytes(Target, "[S]\nk=old\n");
  fs::create_symlink(Target, Link);
  IniWriteStr(Link, "S", "k", "new");
  EXPECT_TRUE(fs::is_symlink(Link));
  EXPECT_EQ(ReadBytes(Target), "[S]\nk=new\n");
}

TEST(VekIni, ReplacedFileKeepsItsPermissions) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  WriteBytes(Ini, "[S]\n");
  ::chmod(Ini.c_str(), 0640);
  IniWriteStr(Ini, "S", "k", "v");
  struct stat Info {};
  ASSERT_EQ(::stat(Ini.c_str(), &Info), 0);
  EXPECT_EQ(Info.st_mode & 07777, 0640u);
}

TEST(VekIni, UnchangedWriteLeavesTheFileAlone) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  IniWriteStr(Ini, "Config", "Path", "/data/");
  IniWriteInt(Ini, "Config", "FilterIndex", 2);
  // A second name for the file: a replace leaves it behind on the old inode.
  const std::string Probe = Dir.File("probe");
  ASSERT_EQ(::link(Ini.c_str(), Probe.c_str()), 0);
  const auto Links = [&] {
    struct stat Info {};
    EXPECT_EQ(::stat(Ini.c_str(), &Info), 0);
    return Info.st_nlink;
  };
  for (int I = 0; I < 3; ++I) {
    IniWriteStr(Ini, "config", "PATH", "/data/");
    IniWriteInt(Ini, "Config", "FilterIndex", 2);
  }
  EXPECT_EQ(Links(), 2u);
  IniWriteInt(Ini, "Config", "FilterIndex", 3);
  EXPECT_EQ(Links(), 1u);
  EXPECT_EQ(ReadBytes(Ini), "[Config]\nPath=/data/\nFilterIndex=3\n");
  EXPECT_EQ(ReadBytes(Probe), "[Config]\nPath=/data/\nFilterIndex=2\n");
}
