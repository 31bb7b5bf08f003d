#include "AsSaveTiff16Unit.h"
#include "PlanePicture.h"
#include "TempDir.h"
#include "TiffProbe.h"
#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

namespace {

class TiffWriter : public ::testing::Test {
protected:
  void SetUp() override { SilenceTiffLibrary(); }
  TTempDir Dir;
};

// Every sample of every tile outside the picture is 0.
int64_t NonZeroFill(const TTiffProbe& Probe) {
  const uint32_t Across = (Probe.Width + 255) / 256;
  int64_t Count = 0;
  for (size_t T = 0; T < Probe.Tiles.size(); ++T) {
    const uint32_t X0 = T % Across * 256, Y0 = T / Across * 256;
    for (uint32_t Y = 0; Y < 256; ++Y)
      for (uint32_t X = 0; X < 256; ++X)
        if (X0 + X >= Probe.Width || Y0 + Y >= Probe.Height)
          for (int S = 0; S < 3; ++S)
            Count += Probe.Tiles[T][(Y * 256 + X) * 3 + S] != 0;
  }
  return Count;
}

TEST_F(TiffWriter, TilesNumberedRowByRowWithZeroFilledEdges) {
  struct TCase {
    uint32_t Width, Height;
    size_t Tiles;
  };
  for (const TCase& Case :
       {TCase{1, 1, 1}, TCase{256, 256, 1}, TCase{300, 200, 2}, TCase{513, 257, 6}}) {
    SCOPED_TRACE(std::to_string(Case.Width) + " x " + std::to_string(Case.Height));
    const TPlanePicture Picture(Case.Width, Case.Height);
    Picture.Save(Dir.File("out.tif"));
    const TTiffProbe Probe = ProbeTiff(Dir.File("out.tif"));
    ExpectPicture(Probe, Picture);
    ASSERT_EQ(Probe.Tiles.size(), Case.Tiles);
    EXPECT_EQ(NonZeroFill(Probe), 0);
  }
  // The 513 x 257 picture: tile 5 starts at column 512, row 256 and holds
  // that one pixel, red, green, blue in this order.
  const TPlanePicture Last(513, 257);
  const TTiffProbe Probe = ProbeTiff(Dir.File("out.tif"));
  const size_t Pixel = 256 * 513 + 512;
  EXPECT_EQ(Probe.Tiles[5][0], Last.Red[Pixel]);
  EXPECT_EQ(Probe.Tiles[5][1], Last.Green[Pixel]);
  EXPECT_EQ(Probe.Tiles[5][2], Last.Blue[Pixel]);
  // Tile 1 of 300 x 200 starts at column 256 of row 0.
  const TPlanePicture Wide(300, 200);
  Wide.Save(Dir.File("wide.tif"));
  const TTiffProbe WideProbe = ProbeTiff(Dir.File("wide.tif"));
  EXPECT_EQ(WideProbe.Tiles[1][0], Wide.Red[256]);
  EXPECT_EQ(WideProbe.Tiles[1][43 * 3], Wide.Red[299]);
}

TEST_F(TiffWriter, ExactlyTheNineFieldsLittleEndianUncompressed) {
  TPlanePicture(513, 257).Save(Dir.File("out.tif"));
  const TTiffProbe Probe = ProbeTiff(Dir.File("out.tif"));
  EXPECT_EQ(Probe.ByteOrder, "II");
  EXPECT_EQ(ReadBytes(Dir.File("out.tif")).substr(0, 4), std::string("II\x2A\0", 4));
  EXPECT_EQ(Probe.Directories, 1);
  EXPECT_EQ(Probe.Tags,
            (std::vector<uint16_t>{256, 257, 258, 259, 262, 277, 284, 322, 323, 324, 325}));
  EXPECT_EQ(Probe.Compression, COMPRESSION_NONE);
  EXPECT_EQ(Probe.TileByteCounts, std::vector<uint64_t>(6, 393216));
}

TEST_F(TiffWriter, LzwAndDeflateWriteTheSameTilesCompressed) {
  const TPlanePicture Picture(300, 200);
  for (auto [Compression, Code] :
       {std::pair{tcLZW, COMPRESSION_LZW}, std::pair{tcDeflate, COMPRESSION_ADOBE_DEFLATE}}) {
    SCOPED_TRACE(Code);
    Picture.Save(Dir.File("packed.tif"), Compression);
    const TTiffProbe Probe = ProbeTiff(Dir.File("packed.tif"));
    EXPECT_EQ(Probe.Compression, Code);
    EXPECT_EQ(Probe.Tags.size(), 11u);
    ExpectPicture(Probe, Picture);
    EXPECT_EQ(NonZeroFill(Probe), 0);
    ASSERT_EQ(Probe.TileByteCounts.size(), 2u);
    EXPECT_LT(Probe.TileByteCounts[1], 393216u); // mostly zero fill: packs well
  }
}

TEST_F(TiffWriter, FailuresGiveTheFixedMessagesNamingTheFile) {
  const TPlanePicture Picture(4, 2);
  // A descriptor the library cannot use: the create message names the
  // file the user chose, with the system's cause.
  try {
    WriteTiff16(-1, "chosen.tif", Picture.Result(), Picture.Source());
    ADD_FAILURE() << "no exception";
  } catch (const Exception& Error) {
    EXPECT_EQ(Error.ClassName(), "Exception");
    EXPECT_EQ(Error.Message(), "Unable to create output TIFF file 'chosen.tif'");
    EXPECT_EQ(Error.Cause(), "Bad file descriptor");
  }
  // A picture without pixels is refused instead of giving an unreadable file.
  TTiffResult Empty = Picture.Result();
  Empty.Width = 0;
  try {
    SaveTiffFile(Dir.File("empty.tif"), Empty, Picture.Source());
    ADD_FAILURE() << "no exception";
  } catch (const Exception& Error) {
    EXPECT_EQ(Error.Message(), "Unexpected error");
  }
  EXPECT_EQ(std::filesystem::file_size(Dir.File("empty.tif")), 0u);
}

// Limits the size of files this process writes, for as long as it lives.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FSaved);
    FOldHandler = signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
    rlimit Limit = FSaved;
    Limit.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &Limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FSaved);
    signal(SIGXFSZ, FOldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit FSaved{};
  void (*FOldHandler)(int) = nullptr;
};

// The message of a save under a file size limit of Bytes.
std::string SaveUnderLimit(const TPlanePicture& Picture, const std::string& FileName,
                           rlim_t Bytes) {
  TFileSizeLimit Limit(Bytes);
  try {
    Picture.Save(FileName);
  } catch (const Exception& Error) {
    return Error.Message();
  }
  return "written";
}

TEST_F(TiffWriter, WriteFailuresAreReportedNotPassedOffAsSuccess) {
  // Room for the header and part of the first tile only.
  EXPECT_EQ(SaveUnderLimit(TPlanePicture(513, 257), Dir.File("tiles.tif"), 100000),
            "Unexpected error");
  // Room for the header and the one tile, none for the directory.
  EXPECT_EQ(SaveUnderLimit(TPlanePicture(10, 10), Dir.File("directory.tif"), 8 + 393216),
            "Unexpected error");
  EXPECT_THROW(ProbeTiff(Dir.File("directory.tif")), std::runtime_error);
}

} // namespace
