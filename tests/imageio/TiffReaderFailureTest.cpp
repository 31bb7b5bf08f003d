// Every failure ends in one of the reader's fixed messages with the three
// planes empty; hostile headers end that way too, quickly and without
// touching memory they only claim.
#include "AsSaveTiff16Unit.h"
#include "TempDir.h"
#include "TiffMaker.h"

#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

const std::string MissingRowsPerStrip = "Missing RowsPerStrip tag, unable to read image";

void ExpectFailure(const TTiffLoad& L, const std::string& Message) {
  EXPECT_TRUE(L.Failed);
  EXPECT_EQ(L.Message, Message);
  EXPECT_TRUE(L.PlanesEmpty());
}

std::string OpenMessage(const std::string& FileName) {
  return "Unable to open input TIFF file '" + FileName + "'";
}

// Writes Picture, lets Patch change the file and reads it.
TTiffLoad LoadPatched(const TTempDir& Dir, const TTiffPicture& Picture,
                      const std::function<void(const std::string&)>& Patch) {
  const std::string File = Dir.File("patched.tif");
  WriteTiff(File, Picture);
  Patch(File);
  return LoadTiffForTest(File);
}

TTiffPicture Strips16(uint16_t Planar = 1) {
  TTiffPicture P = TTiffPicture::Pattern(20, 12);
  P.RowsPerStrip = 3;
  P.Planar = Planar;
  return P;
}

TTiffPicture Tiles16() {
  TTiffPicture P = TTiffPicture::Pattern(20, 12);
  P.TileWidth = P.TileLength = 16;
  return P;
}

TEST(TiffReaderFailure, FilesThatAreNoTiffCannotBeOpened) {
  TTempDir Dir;
  const std::string Text = Dir.File("notes.tif");
  WriteBytes(Text, "These are no pixels.\n");
  ExpectFailure(LoadTiffForTest(Text), OpenMessage(Text));
  ExpectFailure(LoadTiffForTest(Dir.File("absent.tif")), OpenMessage(Dir.File("absent.tif")));
  ExpectFailure(LoadTiffForTest(Dir.Path().string()), OpenMessage(Dir.Path().string()));

  try {
    TTiffInput Input(Text);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), OpenMessage(Text));
    EXPECT_EQ(E.ClassName(), "Exception");
  }
}

TEST(TiffReaderFailure, DirectStripsNeedRowsPerStrip) {
  TTempDir Dir;
  for (uint16_t Planar : {1, 2}) {
    SCOPED_TRACE(Planar);
    ExpectFailure(LoadPatched(Dir, Strips16(Planar),
                              [](const std::string& F) { HideTiffTag(F, TIFFTAG_ROWSPERSTRIP); }),
                  MissingRowsPerStrip);
  }
}

TEST(TiffReaderFailure, ThirtyTwoBitSamplesAreAnUnexpectedError) {
  TTempDir Dir;
  for (uint16_t Samples : {1, 3})
    for (uint16_t Format : {SAMPLEFORMAT_UINT, SAMPLEFORMAT_IEEEFP}) {
      SCOPED_TRACE(std::to_string(Samples) + " samples, format " + std::to_string(Format));
      TTiffPicture P = TTiffPicture::Pattern(5, 4, 32, Samples);
      P.Photometric = Samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
      P.SampleFormat = Format;
      ExpectFailure(LoadPatched(Dir, P, [](const std::string&) {}), "Unexpected error");
    }
}

TEST(TiffReaderFailure, CodecsWithoutUsableDataAreAnUnexpectedError) {
  TTempDir Dir;
  TTiffPicture Rgb8 = TTiffPicture::Pattern(20, 12, 8);
  Rgb8.RowsPerStrip = 3;
  // Old-style JPEG and JBIG data that is none. An unknown scheme fails
  // every strip on the direct paths; the generic path reads on past
  // strips it cannot decode, so it is left out there.
  const std::vector<uint32_t> Known = {COMPRESSION_OJPEG, COMPRESSION_JBIG};
  const std::vector<uint32_t> All = {COMPRESSION_OJPEG, COMPRESSION_JBIG, 12345};
  const std::pair<TTiffPicture, std::vector<uint32_t>> Cases[] = {
      {Strips16(), All}, {Tiles16(), All}, {Rgb8, Known}};
  for (const auto& [P, Schemes] : Cases)
    for (uint32_t Compression : Schemes) {
      SCOPED_TRACE(std::to_string(P.BitsPerSample) + " bits, compression " +
                   std::to_string(Compression));
      ExpectFailure(LoadPatched(Dir, P,
                                [&](const std::string& F) {
                                  PatchTiffEntry(F, TIFFTAG_COMPRESSION, Compression);
                                }),
                    "Unexpected error");
    }
}

TEST(TiffReaderFailure, SizesBeyondOnePlaneBlockAreOutOfMemoryAtOnce) {
  TTempDir Dir;
  // 70000 x 70000 x 2 bytes per plane: more than one block may hold, so
  // nothing is allocated and no strip is read.
  for (const TTiffPicture& P : {Strips16(), Strips16(2)}) {
    const TTiffLoad L = LoadPatched(Dir, P, [](const std::string& F) {
      PatchTiffEntry(F, TIFFTAG_IMAGEWIDTH, 70000);
      PatchTiffEntry(F, TIFFTAG_IMAGELENGTH, 70000);
    });
    ExpectFailure(L, "Out of memory");
  }
  // A width whose product with the height wraps in 32 bits.
  ExpectFailure(
      LoadPatched(Dir, Strips16(),
                  [](const std::string& F) { PatchTiffEntry(F, TIFFTAG_IMAGEWIDTH, 0xFFFFFFFF); }),
      "Out of memory");
}

TEST(TiffReaderFailure, HostileTileSizesEndInAListedMessage) {
  TTempDir Dir;
  // 65536 x 65536 tiles of 6 bytes a pixel: the tile buffer cannot be had.
  ExpectFailure(LoadPatched(Dir, Tiles16(),
                            [](const std::string& F) {
                              PatchTiffEntry(F, TIFFTAG_TILEWIDTH, 65536);
                              PatchTiffEntry(F, TIFFTAG_TILELENGTH, 65536);
                            }),
                "Out of memory");
  // Sizes whose products leave 64 bits, and zero sizes: libtiff refuses
  // the directory.
  for (uint32_t Size : {0xFFFFFFF0u, 0u}) {
    const TTiffLoad L = LoadPatched(Dir, Tiles16(), [&](const std::string& F) {
      PatchTiffEntry(F, TIFFTAG_TILEWIDTH, Size);
      PatchTiffEntry(F, TIFFTAG_TILELENGTH, Size);
    });
    ExpectFailure(L, OpenMessage(Dir.File("patched.tif")));
  }
}

TEST(TiffReaderFailure, HostileStripHeadersEndInAListedMessageOrReadCorrectly) {
  TTempDir Dir;
  const std::string File = Dir.File("patched.tif");
  ExpectFailure(
      LoadPatched(Dir, Strips16(),
                  [](const std::string& F) { PatchTiffEntry(F, TIFFTAG_ROWSPERSTRIP, 0); }),
      OpenMessage(File));
  for (uint16_t Tag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH})
    ExpectFailure(
        LoadPatched(Dir, Strips16(), [&](const std::string& F) { PatchTiffEntry(F, Tag, 0); }),
        OpenMessage(File));

  // A RowsPerStrip far above the height makes one strip of the whole
  // image. Uncompressed strips lie back to back, and libtiff takes them as
  // that one strip; compressed ones cannot be decoded that way.
  const TTiffPicture P = Strips16();
  const TTiffLoad Whole = LoadPatched(
      Dir, P, [](const std::string& F) { PatchTiffEntry(F, TIFFTAG_ROWSPERSTRIP, 0xFFFFFFFF); });
  ASSERT_FALSE(Whole.Failed) << Whole.Message;
  for (uint32_t I = 0; I < 20 * 12; ++I)
    ASSERT_EQ(Whole.Blue[I], P.Samples[3 * I + 2]) << I;
  TTiffPicture Lzw = Strips16();
  Lzw.Compression = COMPRESSION_LZW;
  ExpectFailure(LoadPatched(Dir, Lzw,
                            [](const std::string& F) {
                              PatchTiffEntry(F, TIFFTAG_ROWSPERSTRIP, 0xFFFFFFFF);
                            }),
                "Unexpected error");
}

TEST(TiffReaderFailure, DamagedStripsAndTilesOnTheDirectPathsAreRefused) {
  TTempDir Dir;
  // Strip 2 or tile 1 claims only 10 bytes, as in a file cut short; strip 3
  // points beyond the end of the file.
  for (uint16_t Compression : {COMPRESSION_NONE, COMPRESSION_LZW})
    for (uint16_t Planar : {1, 2}) {
      SCOPED_TRACE(std::to_string(Compression) + " planar " + std::to_string(Planar));
      TTiffPicture Strips = Strips16(Planar);
      Strips.Compression = Compression;
      ExpectFailure(LoadPatched(Dir, Strips,
                                [](const std::string& F) {
                                  PatchTiffEntry(F, TIFFTAG_STRIPBYTECOUNTS, 10, 2);
                                }),
                    "Unexpected error");
      ExpectFailure(LoadPatched(Dir, Strips,
                                [](const std::string& F) {
                                  PatchTiffEntry(F, TIFFTAG_STRIPOFFSETS, 0x7FFFFF00, 3);
                                }),
                    "Unexpected error");
      TTiffPicture Tiles = Tiles16();
      Tiles.Planar = Planar;
      Tiles.Compression = Compression;
      ExpectFailure(LoadPatched(Dir, Tiles,
                                [](const std::string& F) {
                                  PatchTiffEntry(F, TIFFTAG_TILEBYTECOUNTS, 10, 1);
                                }),
                    "Unexpected error");
    }
}

TEST(TiffReaderFailure, TheGenericPathReadsPastADamagedStrip) {
  TTempDir Dir;
  TTiffPicture P = TTiffPicture::Pattern(20, 12, 8);
  P.RowsPerStrip = 3;
  const TTiffLoad L = LoadPatched(
      Dir, P, [](const std::string& F) { PatchTiffEntry(F, TIFFTAG_STRIPBYTECOUNTS, 10, 2); });
  ASSERT_FALSE(L.Failed) << L.Message;
  // Rows 6 to 8 are the damaged strip; what it yields is the library's
  // business, every other row is intact.
  for (uint32_t Y : {0u, 5u, 9u, 11u})
    for (uint32_t X = 0; X < 20; ++X)
      EXPECT_EQ(L.Green[Y * 20 + X], P.At(X, Y, 1) * 257) << X << ", " << Y;
}

} // namespace
