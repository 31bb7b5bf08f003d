// The result in strips: the tiled file's picture, fields and failures.
#include "TiffStripWriter.h"
#include "ChildProcess.h"
#include "PlanePicture.h"
#include "TempDir.h"
#include "TiffProbe.h"
#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class TiffStripWriter : public ::testing::Test {
protected:
  void SetUp() override { SilenceTiffLibrary(); }

  // The picture written in strips to Name; the probe of what was written.
  TTiffProbe SaveStrips(const TPlanePicture& Picture, const std::string& Name,
                        TTiffCompression Compression = tcNone) {
    Picture.Save(Dir.File(Name), Compression, slStrips);
    return ProbeTiff(Dir.File(Name));
  }

  TTempDir Dir;
};

TEST_F(TiffStripWriter, StripsHoldTheTiledPictureValueForValue) {
  struct TCase {
    uint32_t Width, Height;
    size_t Strips;
  };
  // 1024 pixels a row give strips of 42 rows: 84 rows divide evenly, 85
  // leave a last strip of one row.
  const TCase Cases[] = {{1, 1, 1},     {300, 200, 2},   {1024, 84, 2},
                         {1024, 85, 3}, {1001, 777, 19}, {513, 257, 4}};
  for (const TCase& Case : Cases)
    for (auto [Compression, Code] :
         {std::pair{tcNone, COMPRESSION_NONE}, std::pair{tcLZW, COMPRESSION_LZW},
          std::pair{tcDeflate, COMPRESSION_ADOBE_DEFLATE}}) {
      SCOPED_TRACE(std::to_string(Case.Width) + " x " + std::to_string(Case.Height) +
                   ", compression " + std::to_string(Code));
      const TPlanePicture Picture(Case.Width, Case.Height);
      Picture.Save(Dir.File("tiles.tif"), Compression);
      const TTiffProbe Strips = SaveStrips(Picture, "strips.tif", Compression);
      ExpectPicture(ProbeTiff(Dir.File("tiles.tif")), Picture);
      ExpectPicture(Strips, Picture);
      EXPECT_FALSE(Strips.Tiled);
      EXPECT_EQ(Strips.Compression, Code);
      EXPECT_EQ(Strips.StripByteCounts.size(), Case.Strips);
    }
}

TEST_F(TiffStripWriter, TheTiledFieldsWithRowsPerStripInPlaceOfTheTiles) {
  const TTiffProbe Probe = SaveStrips(TPlanePicture(1024, 85), "out.tif");
  EXPECT_EQ(Probe.ByteOrder, "II");
  EXPECT_EQ(Probe.Directories, 1);
  // Size, sample and colour fields, compression, RowsPerStrip and the two
  // the library adds for the strips; nothing else.
  EXPECT_EQ(Probe.Tags, (std::vector<uint16_t>{256, 257, 258, 259, 262, 273, 277, 278, 279, 284}));
  EXPECT_EQ(Probe.RowsPerStrip, 42u);
  // Uncompressed strips hold whole rows; the last one only its own.
  EXPECT_EQ(Probe.StripByteCounts, (std::vector<uint64_t>{42 * 6144, 42 * 6144, 6144}));
}

TEST_F(TiffStripWriter, StripsBetween64KiBAnd1MiBWherePicturesAllowIt) {
  for (const uint32_t Width : {100u, 640u, 1500u, 4000u, 6000u, 11000u, 21845u, 50000u, 150000u}) {
    SCOPED_TRACE(Width);
    const uint64_t Bytes = uint64_t{StripRows(Width, 1000000)} * Width * 6;
    EXPECT_GE(Bytes, 64u * 1024);
    EXPECT_LE(Bytes, 1024u * 1024);
  }
  // A picture smaller than a strip is one strip; a row beyond a mebibyte
  // is a strip of its own.
  EXPECT_EQ(StripRows(10, 10), 10u);
  EXPECT_EQ(StripRows(4000, 3), 3u);
  EXPECT_EQ(StripRows(200000, 50), 1u);
}

TEST_F(TiffStripWriter, FailuresGiveTheWriterMessagesWithTheSystemsCause) {
  const TPlanePicture Picture(513, 257);
  TTiffResult Empty = Picture.Result(tcNone, slStrips);
  Empty.Height = 0;
  try {
    SaveTiffFile(Dir.File("empty.tif"), Empty, Picture.Source());
    ADD_FAILURE() << "no exception";
  } catch (const Exception& Failure) {
    EXPECT_EQ(Failure.Message(), "Unexpected error");
  }

  // A full disk in a strip and, with room for every strip, at the
  // directory; the tiled writer names the same cause.
  const uint64_t AllStrips = 8 + uint64_t{513} * 257 * 6;
  const auto Full = [&](TSaveLayout Layout, uint64_t Limit) {
    return RunInChild(
        [&] {
          try {
            Picture.Save(Dir.File("full.tif"), tcNone, Layout);
          } catch (const Exception& Failure) {
            return Failure.Message() + " (" + Failure.Cause() + ")";
          }
          return std::string("written");
        },
        TChildLimits::OfFileSize(Limit));
  };
  EXPECT_EQ(Full(slStrips, 300000).Output, "Unexpected error (File too large)");
  EXPECT_EQ(Full(slStrips, AllStrips).Output, "Unexpected error (File too large)");
  EXPECT_EQ(std::filesystem::file_size(Dir.File("full.tif")), AllStrips);
  EXPECT_EQ(Full(slTiles, 300000).Output, "Unexpected error (File too large)");
}

} // namespace
