#include "TempDir.h"
#include "VekUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

TEST(VekUtilFiles, FileReadableAndSize) {
  TTempDir Dir;
  const std::string Name = Dir.File("a.txt");
  EXPECT_FALSE(FileReadable(""));
  EXPECT_FALSE(FileReadable(Name));
  EXPECT_EQ(FileSizeOf(Name), 0);
  WriteBytes(Name, "12345");
  EXPECT_TRUE(FileReadable(Name));
  EXPECT_EQ(FileSizeOf(Name), 5);
  EXPECT_FALSE(FileReadable(Dir.Path().string()));
  EXPECT_EQ(FileSizeOf(Dir.Path().string()), 0);
  EXPECT_TRUE(DirExists(Dir.Path().string()));
  EXPECT_FALSE(DirExists(Name));
  EXPECT_FALSE(DirExists(""));
  EXPECT_FALSE(DirExists(Dir.File("missing")));
}

TEST(VekUtilFiles, NamedPipeDoesNotBlock) {
  TTempDir Dir;
  const std::string Fifo = Dir.File("pipe");
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
  EXPECT_TRUE(FileReadable(Fifo));
  EXPECT_EQ(FileSizeOf(Fifo), 0);
  EXPECT_EQ(ReadFileText(Fifo, "dflt"), "");
}

TEST(VekUtilFiles, ReadAndWriteText) {
  TTempDir Dir;
  const std::string Name = Dir.File("t.txt");
  EXPECT_EQ(ReadFileText(Name, "dflt"), "dflt");
  EXPECT_EQ(ReadFileText(Dir.Path().string(), "dflt"), "dflt");

  const std::string Bytes("line\r\n\0\xff end", 12);
  WriteFileText(Name, Bytes);
  EXPECT_EQ(ReadFileText(Name, "dflt"), Bytes);
  WriteFileText(Name, "short");
  EXPECT_EQ(ReadBytes(Name), "short"); // truncated, not overlaid

  // Empty text: neither truncates an existing file nor creates a new one.
  WriteFileText(Name, "");
  EXPECT_EQ(ReadBytes(Name), "short");
  WriteFileText(Dir.File("new.txt"), "");
  EXPECT_FALSE(fs::exists(Dir.File("new.txt")));
  // A file that cannot be created is passed over.
  WriteFileText(Dir.File("missing/x.txt"), "abc");
  EXPECT_FALSE(fs::exists(Dir.File("missing")));
}

TEST(VekUtilFiles, ReadNeverReturnsBytesItDidNotRead) {
  TTempDir Dir;
  const std::string Name = Dir.File("shrunk.txt");
  WriteBytes(Name, "abc");
  // As if the file had been 100 bytes long when its size was taken.
  EXPECT_EQ(detail::ReadFileBytes(Name, 100, "dflt"), "abc");
  EXPECT_EQ(detail::ReadFileBytes(Name, 2, "dflt"), "ab");
  EXPECT_EQ(detail::ReadFileBytes(Name, 0, "dflt"), "");
  EXPECT_EQ(detail::ReadFileBytes(Dir.File("none"), 10, "dflt"), "dflt");
}

TEST(VekUtilFiles, CutFileToTail) {
  TTempDir Dir;
  const std::string Name = Dir.File("log.txt");

  WriteBytes(Name, "no line feed at all");
  CutFileToTail(Name, 5);
  EXPECT_EQ(ReadBytes(Name), "no line feed at all");

  WriteBytes(Name, "first\nsecond\nthird\n");
  CutFileToTail(Name, 100); // more than the size: nothing happens
  EXPECT_EQ(ReadBytes(Name), "first\nsecond\nthird\n");
  CutFileToTail(Name, 19); // the whole size: the first line goes
  EXPECT_EQ(ReadBytes(Name), "second\nthird\n");
  CutFileToTail(Name, 8); // search starts inside "second"
  EXPECT_EQ(ReadBytes(Name), "third\n");

  // Nothing behind the line feed: the written text is empty, so the file stays.
  WriteBytes(Name, "abc\n");
  CutFileToTail(Name, 1);
  EXPECT_EQ(ReadBytes(Name), "abc\n");

  CutFileToTail(Dir.File("missing"), 0);
  EXPECT_FALSE(fs::exists(Dir.File("missing")));
}

TEST(VekUtilFiles, MakeDirPath) {
  TTempDir Dir;
  const std::string Deep = Dir.File("a/b//c/");
  MakeDirPath(Deep);
  EXPECT_TRUE(DirExists(Dir.File("a/b/c")));

  // A field that cannot be created (a file is in the way) is passed over;
  // the later steps still run and fail quietly as well.
  WriteBytes(Dir.File("file"), "x");
  MakeDirPath(Dir.File("file/sub"));
  EXPECT_FALSE(DirExists(Dir.File("file/sub")));
  MakeDirPath("");

  // A relative path starts in the current folder.
  const fs::path Old = fs::current_path();
  fs::current_path(Dir.Path());
  MakeDirPath("rel/inner");
  fs::current_path(Old);
  EXPECT_TRUE(DirExists(Dir.File("rel/inner")));
}
