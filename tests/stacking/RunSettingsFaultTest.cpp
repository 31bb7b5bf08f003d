// A run whose settings file is missing, empty, garbage, a folder,
// read-only or edited by hand: the run works from the defaults or from
// what it can read, and nothing else in the file is lost.
#include "JpegMaker.h"
#include "ScriptedHost.h"
#include "StackingRun.h"
#include "TempDir.h"
#include "TiffProbe.h"
#include "VekSystem.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class RunSettingsFault : public ::testing::Test {
protected:
  void SetUp() override {
    App->ErrorFileName = Dir.File("Errors.Txt");
    for (const char* Name : {"a.jpg", "b.jpg"})
      WriteJpeg(Dir.File(Name), TJpegPicture::Solid(8, 4, TJpegKind::Rgb, {90, 60, 30}));
  }

  // A whole run with the settings in Ini, the second filter picked; returns
  // the first open dialog's call ("open <folder> <filter>").
  std::string RunWith(const std::string& Ini) {
    App->SetIniFile(Ini);
    TScriptedHost Host;
    Host.OpenAnswers.push_back({true, {Dir.File("a.jpg"), Dir.File("b.jpg")}, 2});
    Host.SaveAnswer = Dir.File("out.tif");
    EXPECT_NO_THROW(RunStacking(Host)) << Ini;
    EXPECT_EQ(Host.Info, "READY") << Ini;
    EXPECT_EQ(ProbeTiff(Dir.File("out.tif")).Width, 8u) << Ini;
    fs::remove(Dir.File("out.tif"));
    return Host.Calls("open").at(0);
  }

  std::string Folder() const { return Dir.Path().string() + "/"; }

  TVekSystemScope System;
  TTempDir Dir;
};

TEST_F(RunSettingsFault, UnusableFilesGiveTheDefaults) {
  const std::string Missing = Dir.File("missing.ini");
  EXPECT_EQ(RunWith(Missing), "open  1");
  EXPECT_EQ(ReadBytes(Missing), "[Config]\nPath=" + Folder() + "\nFilterIndex=2\n");

  const std::string Empty = Dir.File("empty.ini");
  WriteBytes(Empty, "");
  EXPECT_EQ(RunWith(Empty), "open  1");
  EXPECT_EQ(ReadBytes(Empty), "[Config]\nPath=" + Folder() + "\nFilterIndex=2\n");

  const std::string Garbage = Dir.File("garbage.ini");
  const char Raw[] = "\x00\xff[Config\x00]\nPath\x80=\x01\x02\n\xfe\xfe\n";
  const std::string Bytes(Raw, sizeof Raw - 1);
  WriteBytes(Garbage, Bytes);
  EXPECT_EQ(RunWith(Garbage), "open  1");
  const std::string Rewritten = ReadBytes(Garbage);
  EXPECT_EQ(Rewritten.substr(0, Bytes.size()), Bytes);
  EXPECT_EQ(RunWith(Garbage), "open " + Folder() + " 2");

  const std::string AFolder = Dir.File("folder.ini");
  fs::create_directory(AFolder);
  EXPECT_EQ(RunWith(AFolder), "open  1");
  EXPECT_EQ(RunWith(AFolder), "open  1");
  EXPECT_TRUE(fs::is_directory(AFolder));
  EXPECT_TRUE(fs::is_empty(AFolder));
}

TEST_F(RunSettingsFault, ReadOnlyFileIsReadAndLeftAlone) {
  const std::string ReadOnly = Dir.File("ro.ini");
  const std::string Text = "[Config]\nPath=/old/\nFilterIndex=2\n";
  WriteBytes(ReadOnly, Text);
  ::chmod(ReadOnly.c_str(), 0444);
  EXPECT_EQ(RunWith(ReadOnly), "open /old/ 2");
  EXPECT_EQ(ReadBytes(ReadOnly), Text);
}

// A file a user edited: other sections, comments, odd spacing and another
// key in the run's own section all survive the run's writes.
TEST_F(RunSettingsFault, HandEditedFileKeepsEverythingElse) {
  const std::string Ini = Dir.File("edited.ini");
  WriteBytes(Ini, "; my settings\r\n"
                  "[Window]\r\n"
                  "Left = 10\r\n"
                  "\r\n"
                  "[ config ]\r\n"
                  "  filterindex = 7  \r\n"
                  "Theme=dark\r\n"
                  "  PATH =  /old/  \r\n"
                  "[Tail]\r\n"
                  "z=1");
  EXPECT_EQ(RunWith(Ini), "open /old/ 7");
  EXPECT_EQ(ReadBytes(Ini), "; my settings\r\n"
                            "[Window]\r\n"
                            "Left = 10\r\n"
                            "\r\n"
                            "[ config ]\r\n"
                            "  filterindex =2\r\n"
                            "Theme=dark\r\n"
                            "  PATH =" +
                                Folder() +
                                "\r\n"
                                "[Tail]\r\n"
                                "z=1\n"); // the last line gets its end
  EXPECT_EQ(RunWith(Ini), "open " + Folder() + " 2");
}

} // namespace
