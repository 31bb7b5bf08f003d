// velmora-stack run end to end on generated exposures.
#include "ChildProcess.h"
#include "DngMaker.h"
#include "ExpectedStack.h"
#include "JpegMaker.h"
#include "RawInput.h"
#include "TempDir.h"
#include "TiffMaker.h"
#include "TiffProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace {

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

std::string Quoted(const std::string& Arg) {
  std::string Result(1, '\'');
  for (char Ch : Arg) {
    if (Ch == '\'')
      Result.append("'\\''");
    else
      Result.push_back(Ch);
  }
  Result.push_back('\'');
  return Result;
}

class VelmoraStack : public ::testing::Test {
protected:
  TRun Run(const std::vector<std::string>& Args) {
    const char* Program = std::getenv("VELMORA_STACK");
    EXPECT_NE(Program, nullptr) << "VELMORA_STACK names the program under test";
    std::string Command = Quoted(Program ? Program : "velmora-stack");
    for (const std::string& Arg : Args)
      Command.append(" ").append(Quoted(Arg));
    Command.append(" >").append(Quoted(Dir.File("stdout")));
    Command.append(" 2>").append(Quoted(Dir.File("stderr"))).append(" </dev/null");
    const int Raw = std::system(Command.c_str());
    TRun Result;
    Result.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    Result.Out = ReadBytes(Dir.File("stdout"));
    Result.Err = ReadBytes(Dir.File("stderr"));
    return Result;
  }

  // The program with its stderr on a terminal, as a user starts it: the
  // terminal's text (line ends as CR LF) and the exit status; nothing
  // where no terminal can be opened.
  std::optional<TRun> RunOnTerminal(const std::vector<std::string>& Args) {
    const char* Program = std::getenv("VELMORA_STACK");
    EXPECT_NE(Program, nullptr) << "VELMORA_STACK names the program under test";
    std::vector<std::string> Words = {Program ? Program : "velmora-stack"};
    Words.insert(Words.end(), Args.begin(), Args.end());
    const std::optional<TChildResult> Child = ::RunOnTerminal(Words);
    if (!Child)
      return std::nullopt;
    return TRun{Child->Exited ? Child->ExitCode : -1, "", Child->Output};
  }

  // A textured exposure of the given brightness, written as Name.
  std::string Exposure(const std::string& Name, int Width, int Height, int Brightness) {
    TJpegPicture Picture = TJpegPicture::Solid(Width, Height, TJpegKind::Rgb, {0, 0, 0});
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X) {
        uint8_t* P = Picture.At(X, Y);
        P[0] = static_cast<uint8_t>(std::min(255, Brightness + X % 50));
        P[1] = static_cast<uint8_t>(std::min(255, Brightness / 2 + (X * Y) % 70));
        P[2] = static_cast<uint8_t>(std::min(255, Brightness / 3 + Y % 90));
      }
    WriteJpeg(Dir.File(Name), Picture);
    return Dir.File(Name);
  }

  // A lossless exposure: 16-bit samples that differ in every pixel.
  std::string Exposure16(const std::string& Name, uint32_t Width, uint32_t Height, uint32_t Seed) {
    Written[Dir.File(Name)] = TTiffPicture::Pattern(Width, Height, 16, 3, Seed);
    WriteTiff(Dir.File(Name), Written[Dir.File(Name)]);
    return Dir.File(Name);
  }

  // A grey JPEG of one level: at quality 100 it decodes to exactly that
  // level, which the run adds as it is (recorded as 16-bit samples, which
  // count as they are too).
  std::string GreyJpeg(const std::string& Name, uint32_t Width, uint32_t Height, uint8_t Level) {
    WriteJpeg(Dir.File(Name),
              TJpegPicture::Solid(static_cast<int>(Width), static_cast<int>(Height),
                                  TJpegKind::Grey, {Level}),
              {100});
    TTiffPicture& Picture = Written[Dir.File(Name)];
    Picture.Width = Width;
    Picture.Height = Height;
    Picture.Samples.assign(size_t{Width} * Height * 3, Level);
    return Dir.File(Name);
  }

  // The output must hold the sum of these inputs, worked out from their
  // samples.
  void ExpectStackOf(const std::vector<std::string>& Inputs, const TTiffProbe& Probe) {
    ASSERT_FALSE(Inputs.empty());
    const TTiffPicture& First = Written.at(Inputs.front());
    TExpectedStack Expected(First.Width, First.Height);
    for (const std::string& Input : Inputs)
      Expected.Add(Written.at(Input));
    Expected.ExpectWritten(Probe);
  }

  TTempDir Dir;
  std::map<std::string, TTiffPicture> Written;
};

TEST_F(VelmoraStack, OutputIsTheAccumulatedSum) {
  // Two tiles wide, one and a bit high.
  const std::vector<std::string> Inputs = {Exposure16("dark.tif", 300, 200, 20),
                                           Exposure16("mid.TIF", 300, 200, 100),
                                           Exposure16("bright.tif", 300, 200, 200)};
  std::vector<std::string> Args = {"-o", Dir.File("result")};
  Args.insert(Args.end(), Inputs.begin(), Inputs.end());
  const TRun Plain = Run(Args);
  ASSERT_EQ(Plain.Status, 0) << Plain.Err;
  EXPECT_EQ(Plain.Out, Dir.File("result.tif") + "\n");
  EXPECT_EQ(Plain.Err, ""); // no progress lines when stderr is no terminal
  const TTiffProbe Probe = ProbeTiff(Dir.File("result.tif"));
  EXPECT_EQ(Probe.Compression, 1);
  EXPECT_TRUE(Probe.Tiled);
  ExpectStackOf(Inputs, Probe);

  for (auto [Name, Code] : {std::pair{"lzw", 5}, std::pair{"deflate", 8}}) {
    Args[1] = Dir.File(std::string(Name) + ".tif");
    Args.insert(Args.begin(), {"--quiet", "-c", Name});
    const TRun Packed = Run(Args);
    Args.erase(Args.begin(), Args.begin() + 3);
    ASSERT_EQ(Packed.Status, 0) << Packed.Err;
    const TTiffProbe PackedProbe = ProbeTiff(Dir.File(std::string(Name) + ".tif"));
    EXPECT_EQ(PackedProbe.Compression, Code);
    ExpectStackOf(Inputs, PackedProbe);
  }
}

TEST_F(VelmoraStack, WrongUsageExitsWithTwo) {
  const std::string A = Exposure("a.jpg", 16, 16, 50), B = Exposure("b.jpg", 16, 16, 60);
  const TRun Nothing = Run({});
  EXPECT_EQ(Nothing.Status, 2);
  EXPECT_NE(Nothing.Err.find("Usage: velmora-stack"), std::string::npos);
  EXPECT_EQ(Nothing.Out, "");

  // The help says what is true: TIFF inputs work, the brightest sample may
  // come out one below full, and strips are there to choose.
  const TRun Help = Run({"--help"});
  EXPECT_EQ(Help.Status, 0);
  for (const char* Fact :
       {"Usage: velmora-stack", "JPEG and TIFF files", "65535 or 65534", "--layout L", "strips"})
    EXPECT_NE(Help.Out.find(Fact), std::string::npos) << Fact;

  const TRun One = Run({"-o", Dir.File("out.tif"), A});
  EXPECT_EQ(One.Status, 2);
  EXPECT_NE(One.Err.find("wählen Sie bitte mindestens zwei Dateien aus"), std::string::npos);

  for (const std::vector<std::string>& Args : {std::vector<std::string>{A, B},
                                               {"-o"},
                                               {"-x", "-o", Dir.File("out.tif"), A, B},
                                               {"-c", "zip", "-o", Dir.File("out.tif"), A, B},
                                               {"-o", Dir.File("out.tif"), A, B, "-c"}}) {
    const TRun Wrong = Run(Args);
    EXPECT_EQ(Wrong.Status, 2) << Args[0];
    EXPECT_NE(Wrong.Err.find("Usage:"), std::string::npos);
  }
  for (const std::vector<std::string>& Args :
       {std::vector<std::string>{"--layout", "zigzag", "-o", Dir.File("out.tif"), A, B},
        {"--layout=Strips", "-o", Dir.File("out.tif"), A, B},
        {"-o", Dir.File("out.tif"), A, B, "-l"}}) {
    const TRun Wrong = Run(Args);
    EXPECT_EQ(Wrong.Status, 2) << Args[0];
    EXPECT_NE(Wrong.Err.find(" takes tiles or strips\n"), std::string::npos) << Wrong.Err;
    EXPECT_NE(Wrong.Err.find("Usage:"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.tif")));
}

TEST_F(VelmoraStack, VersionIsPrintedAloneAndHeadsTheHelp) {
  const std::string Expected = "velmora-stack " VELMORA_VERSION "\n";
  for (const std::vector<std::string>& Args :
       {std::vector<std::string>{"--version"}, {"--version", "-o", Dir.File("out.tif"), "x.jpg"}}) {
    const TRun Version = Run(Args);
    EXPECT_EQ(Version.Status, 0);
    EXPECT_EQ(Version.Out, Expected);
    EXPECT_EQ(Version.Err, "");
  }
  const TRun Help = Run({"--help"});
  EXPECT_EQ(Help.Out.substr(0, Help.Out.find('\n') + 1), Expected);
  EXPECT_NE(Help.Out.find("--version"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.tif")));
}

// Every long option, as --help and the manual page name it.
std::set<std::string> LongOptions(const std::string& Text, const std::string& Dash) {
  std::set<std::string> Options;
  const std::regex Option(Dash + Dash + "([a-z][a-z-]*)");
  for (auto It = std::sregex_iterator(Text.begin(), Text.end(), Option);
       It != std::sregex_iterator(); ++It)
    Options.insert((*It)[1]);
  return Options;
}

TEST_F(VelmoraStack, ManualPageAndHelpNameTheSameOptions) {
  const std::string Manual = ReadBytes(VELMORA_MANUAL);
  ASSERT_FALSE(Manual.empty()) << VELMORA_MANUAL;
  const std::set<std::string> FromHelp = LongOptions(Run({"--help"}).Out, "-");
  EXPECT_GE(FromHelp.size(), 6u);
  // In the page's source a dash is written "\-".
  EXPECT_EQ(LongOptions(Manual, "\\\\-"), FromHelp);
}

TEST_F(VelmoraStack, SizeMismatchEndsTheRun) {
  const std::string A = Exposure("a.jpg", 64, 48, 50), B = Exposure("b.jpg", 32, 48, 60);
  const TRun Mismatch = Run({"-o", Dir.File("out.tif"), A, B});
  EXPECT_EQ(Mismatch.Status, 1);
  EXPECT_EQ(Mismatch.Err, "velmora-stack: reading '" + B + "': Falsche Bildgröße in '" + B +
                              "': 32 x 48 statt 64 x 48\r\nBearbeitung wird abgebrochen\n");
  EXPECT_EQ(Mismatch.Out, "");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.tif")));
}

TEST_F(VelmoraStack, ExistingOutputReplacedOnlyWithForce) {
  const std::string A = Exposure16("a.tif", 20, 10, 50), B = Exposure16("b.tif", 20, 10, 90);
  WriteBytes(Dir.File("out.tif"), "keep me");
  const TRun Refused = Run({"-o", Dir.File("out.tif"), A, B});
  EXPECT_EQ(Refused.Status, 1);
  EXPECT_NE(Refused.Err.find(Dir.File("out.tif")), std::string::npos);
  EXPECT_EQ(ReadBytes(Dir.File("out.tif")), "keep me");

  const TRun Forced = Run({"--force", "-o", Dir.File("out.tif"), A, B});
  ASSERT_EQ(Forced.Status, 0) << Forced.Err;
  ExpectStackOf({A, B}, ProbeTiff(Dir.File("out.tif")));
}

TEST_F(VelmoraStack, UnknownTypeEndsTheRun) {
  const std::string A = Exposure("a.jpg", 16, 16, 50);
  for (const std::string Extension : {".png", ".jpeg", ""}) {
    const std::string Other = Dir.File("b" + Extension);
    std::filesystem::copy_file(A, Other, std::filesystem::copy_options::overwrite_existing);
    const TRun Unknown = Run({"-o", Dir.File("out.tif"), A, Other});
    EXPECT_EQ(Unknown.Status, 1);
    EXPECT_EQ(Unknown.Err, "velmora-stack: reading '" + Other + "': Unbekannter Filetyp '" +
                               Extension + "'\r\nBearbeitung wird abgebrochen\n");
  }
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out.tif")));
}

TEST_F(VelmoraStack, UnreadableInputsAreSkipped) {
  const std::string A = GreyJpeg("a.jpg", 40, 30, 50), B = GreyJpeg("b.jpg", 40, 30, 150);
  const TRun Skipping = Run({"-o", Dir.File("out.tif"), A, Dir.File("gone.jpg"), B});
  ASSERT_EQ(Skipping.Status, 0) << Skipping.Err;
  EXPECT_NE(Skipping.Err.find("gone.jpg"), std::string::npos);
  ExpectStackOf({A, B}, ProbeTiff(Dir.File("out.tif")));

  const TRun None = Run({"-o", Dir.File("none.tif"), Dir.File("x.jpg"), Dir.File("y.jpg")});
  EXPECT_EQ(None.Status, 1);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("none.tif")));

  EXPECT_TRUE(
      None.Err.ends_with("\nvelmora-stack: Keine der gewählten Dateien konnte gelesen werden\n"))
      << None.Err;
}

// A failure names the file the run was at and the system's cause, around
// the run's own message word for word.
TEST_F(VelmoraStack, FailuresNameTheirFileAndCause) {
  const std::string A = Exposure("a.jpg", 40, 30, 50);
  WriteBytes(Dir.File("broken.jpg"), "not a jpeg");
  const TRun Broken = Run({"-o", Dir.File("broken.tif"), A, Dir.File("broken.jpg")});
  EXPECT_EQ(Broken.Status, 1);
  EXPECT_EQ(Broken.Err,
            "velmora-stack: reading '" + Dir.File("broken.jpg") + "': JPEG error #53\n");

  // A TIFF cut short: its last strip runs past the end of the file.
  const std::string Cut = Dir.File("cut.tif");
  TTiffPicture Picture = TTiffPicture::Pattern(40, 30);
  Picture.RowsPerStrip = 10;
  WriteTiff(Cut, Picture);
  PatchTiffEntry(Cut, TIFFTAG_STRIPOFFSETS,
                 static_cast<uint32_t>(std::filesystem::file_size(Cut) - 100), 2);
  const TRun Truncated = Run({"-o", Dir.File("cut-out.tif"), A, Cut});
  EXPECT_EQ(Truncated.Status, 1);
  EXPECT_EQ(Truncated.Err, "velmora-stack: reading '" + Cut + "': Unexpected error\n");

  // A raw file cut short: LibRaw's cause in brackets after the message.
  const std::string A1 = Dir.File("a.dng"), B1 = Dir.File("b.dng");
  WriteDng(A1, TDngPicture::Of(40, 30, FlatGrey(0.2)));
  WriteDng(B1, TDngPicture::Of(40, 30, FlatGrey(0.4)));
  std::filesystem::resize_file(B1, std::filesystem::file_size(B1) - 100);
  const TRun RawCut = Run({"-o", Dir.File("raw-out.tif"), A1, B1});
  EXPECT_EQ(RawCut.Status, 1);
  const std::string RawLead = "velmora-stack: reading '" + B1 + "': " + MsgRawUnreadable(B1) + " (";
  EXPECT_EQ(RawCut.Err.substr(0, RawLead.size()), RawLead) << RawCut.Err;
  EXPECT_TRUE(RawCut.Err.ends_with(")\n")) << RawCut.Err;
  EXPECT_FALSE(std::filesystem::exists(Dir.File("raw-out.tif")));

  const std::string Nowhere = Dir.File("no-such-folder/out.tif");
  const TRun Missing = Run({"-o", Nowhere, A, A});
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(Missing.Err, "velmora-stack: writing '" + Nowhere +
                             "': Unable to create output TIFF file '" + Nowhere +
                             "' (No such file or directory)\n");

  WriteBytes(Dir.File("kept.tif"), "keep me");
  const TRun Refused = Run({"-o", Dir.File("kept.tif"), A, A});
  EXPECT_EQ(Refused.Err, "velmora-stack: Die Ausgabedatei '" + Dir.File("kept.tif") +
                             "' existiert bereits (--force ersetzt sie)\r\n"
                             "Bearbeitung wird abgebrochen\n");
}

// Strips carry the very samples of the tiled file, with every compression;
// tiles, asked for or not, are the file the window writes.
TEST_F(VelmoraStack, StripsHoldTheTiledPictureValueForValue) {
  const std::string A = Exposure("a.jpg", 1001, 777, 40);
  const std::string B = Dir.File("b.tif");
  WriteTiff(B, TTiffPicture::Pattern(1001, 777, 16, 3, 7));
  for (const std::string Compression : {"none", "lzw", "deflate"}) {
    SCOPED_TRACE(Compression);
    const TRun Tiles = Run({"-f", "-c", Compression, "-o", Dir.File("tiles.tif"), A, B});
    const TRun Asked =
        Run({"-f", "--layout=tiles", "-c", Compression, "-o", Dir.File("asked.tif"), A, B});
    const TRun Strips =
        Run({"-f", "--layout", "strips", "-c", Compression, "-o", Dir.File("strips.tif"), A, B});
    ASSERT_EQ(Tiles.Status + Asked.Status + Strips.Status, 0)
        << Tiles.Err << Asked.Err << Strips.Err;
    EXPECT_EQ(ReadBytes(Dir.File("asked.tif")), ReadBytes(Dir.File("tiles.tif")));
    const TTiffProbe Tiled = ProbeTiff(Dir.File("tiles.tif"));
    const TTiffProbe Striped = ProbeTiff(Dir.File("strips.tif"));
    EXPECT_TRUE(Tiled.Tiled);
    EXPECT_FALSE(Striped.Tiled);
    EXPECT_EQ(Striped.Compression, Tiled.Compression);
    EXPECT_EQ(Striped.Tags.size(), 10u);
    EXPECT_EQ(Striped.Red, Tiled.Red);
    EXPECT_EQ(Striped.Green, Tiled.Green);
    EXPECT_EQ(Striped.Blue, Tiled.Blue);
  }
}

TEST_F(VelmoraStack, ProgressOnATerminalNumbersEveryInput) {
  const std::string A = Exposure("a.jpg", 20, 10, 50), C = Exposure("c.jpg", 20, 10, 90);
  // Two inputs of one name in different folders are told apart.
  std::filesystem::create_directory(Dir.File("sub"));
  const std::string D = Exposure("sub/a.jpg", 20, 10, 70);
  const std::string Gone = Dir.File("gone.jpg");
  const std::optional<TRun> Shown = RunOnTerminal({"-o", Dir.File("out.tif"), A, Gone, C, D});
  if (!Shown)
    GTEST_SKIP() << "no pseudo-terminal can be opened here";
  ASSERT_EQ(Shown->Status, 0) << Shown->Err;
  EXPECT_EQ(Shown->Err, "velmora-stack: '" + Gone + "' cannot be opened, skipped\r\n[1/4] " + A +
                            "\r\n[3/4] " + C + "\r\n[4/4] " + D + "\r\n");

  const std::optional<TRun> Quiet = RunOnTerminal({"-q", "-f", "-o", Dir.File("out.tif"), A, C});
  ASSERT_TRUE(Quiet);
  ASSERT_EQ(Quiet->Status, 0) << Quiet->Err;
  EXPECT_EQ(Quiet->Err, "");
}

TEST_F(VelmoraStack, JpegAndTiffMixedAddTheirNumbers) {
  // JPEG bytes and 16-bit samples count as they are, 8-bit TIFF samples
  // widened to 16 bits.
  const std::string A = GreyJpeg("a.jpg", 40, 30, 50);
  const std::string B = Exposure16("b.TIF", 40, 30, 3);
  const std::string C = Dir.File("c.tif");
  Written[C] = TTiffPicture::Pattern(40, 30, 8, 3, 5);
  WriteTiff(C, Written[C]);
  const TRun Mixed = Run({"-o", Dir.File("mixed"), A, B, C});
  ASSERT_EQ(Mixed.Status, 0) << Mixed.Err;
  EXPECT_EQ(Mixed.Out, Dir.File("mixed.tif") + "\n");
  ExpectStackOf({A, B, C}, ProbeTiff(Dir.File("mixed.tif")));
}

TEST_F(VelmoraStack, ThreadsFromTheOptionOrTheEnvironmentGiveTheSameResult) {
  std::vector<std::string> Inputs;
  for (int I = 0; I < 6; ++I)
    Inputs.push_back(Exposure(std::to_string(I) + ".jpg", 64, 48, 30 * I));
  const std::string Tiff = Dir.File("t.tif");
  WriteTiff(Tiff, TTiffPicture::Pattern(64, 48, 16, 3, 4));
  Inputs.insert(Inputs.begin() + 3, Tiff);
  const auto Stack = [&](std::vector<std::string> Args, const std::string& Output) {
    Args.insert(Args.end(), {"-o", Dir.File(Output)});
    Args.insert(Args.end(), Inputs.begin(), Inputs.end());
    const TRun Result = Run(Args);
    EXPECT_EQ(Result.Status, 0) << Result.Err;
    return ReadBytes(Dir.File(Output));
  };
  const std::string Serial = Stack({"-j", "1"}, "serial.tif");
  EXPECT_TRUE(Stack({"--threads=4"}, "four.tif") == Serial);
  EXPECT_TRUE(Stack({"--threads", "2"}, "two.tif") == Serial);
  setenv("VELMORA_THREADS", "3", 1);
  EXPECT_TRUE(Stack({}, "environment.tif") == Serial);
  // The option wins over the environment.
  setenv("VELMORA_THREADS", "not a count", 1);
  EXPECT_TRUE(Stack({"-j", "1"}, "option.tif") == Serial);
  unsetenv("VELMORA_THREADS");

  for (const char* Wrong : {"0", "257", "x", ""}) {
    const TRun Refused = Run({"-j", Wrong, "-o", Dir.File("no.tif"), Inputs[0], Inputs[1]});
    EXPECT_EQ(Refused.Status, 2) << Wrong;
    EXPECT_NE(Refused.Err.find("option -j takes a number of threads from 1 to 256"),
              std::string::npos)
        << Refused.Err;
  }
  const TRun Missing = Run({"-o", Dir.File("no.tif"), Inputs[0], Inputs[1], "--threads"});
  EXPECT_EQ(Missing.Status, 2);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("no.tif")));
}

TEST_F(VelmoraStack, FloatResultAndAnotherProfileWarnedByName) {
  TTiffPicture First = TTiffPicture::Pattern(40, 30, 16, 3, 1);
  First.IccProfile = std::vector<uint8_t>(600, 1);
  TTiffPicture Second = TTiffPicture::Pattern(40, 30, 16, 3, 2);
  Second.IccProfile = std::vector<uint8_t>(600, 2);
  WriteTiff(Dir.File("a.tif"), First);
  WriteTiff(Dir.File("b.tif"), Second);
  const TRun Float =
      Run({"--float", "-o", Dir.File("f.tif"), Dir.File("a.tif"), Dir.File("b.tif")});
  ASSERT_EQ(Float.Status, 0) << Float.Err;
  EXPECT_EQ(Float.Err, "velmora-stack: '" + Dir.File("b.tif") +
                           "' has another colour profile than the first file; the result keeps "
                           "the first file's\n");
  const TFloatProbe Probe = ProbeFloatTiff(Dir.File("f.tif"));
  EXPECT_EQ(*std::max_element(Probe.Samples.begin(), Probe.Samples.end()), 1.0F);
}

} // namespace
