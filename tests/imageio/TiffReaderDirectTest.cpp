// 16-bit RGB with three samples arrives value for value, in every storage
// layout, compression and byte order.
#include "AsSaveTiff16Unit.h"
#include "TempDir.h"
#include "TiffMaker.h"

#include "VekExceptions.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Every sample of the picture, in storage order, against the planes.
void ExpectSameSamples(const TTiffLoad& L, const TTiffPicture& P) {
  ASSERT_FALSE(L.Failed) << L.Message;
  ASSERT_EQ(L.Width, P.Width);
  ASSERT_EQ(L.Height, P.Height);
  const uint16_t* Planes[3] = {L.Red.get(), L.Green.get(), L.Blue.get()};
  int Wrong = 0;
  for (uint32_t Y = 0; Y < P.Height; ++Y)
    for (uint32_t X = 0; X < P.Width; ++X)
      for (uint16_t S = 0; S < 3; ++S)
        if (Planes[S][size_t{Y} * P.Width + X] != P.At(X, Y, S) && ++Wrong <= 5)
          ADD_FAILURE() << "pixel (" << X << ", " << Y << ") sample " << S;
  EXPECT_EQ(Wrong, 0);
}

TTiffLayout LayoutOf(const std::string& FileName) {
  TIFF* Handle = TIFFOpen(FileName.c_str(), "r");
  EXPECT_NE(Handle, nullptr);
  const TTiffLayout Layout = Handle ? GetTiffLayout(Handle) : tlGeneric;
  if (Handle)
    TIFFClose(Handle);
  return Layout;
}

struct TLayoutCase {
  const char* Name;
  uint16_t Planar;
  uint32_t RowsPerStrip;
  uint32_t Tile;
  TTiffLayout Layout;
};

// 37 x 29: 4 rows per strip leave a last strip of one row, 16 x 16 tiles
// leave edge tiles with 5 columns and 13 rows of image.
const TLayoutCase Layouts[] = {
    {"interleaved strips", 1, 4, 0, tlContigStrips},
    {"interleaved tiles", 1, 0, 16, tlContigTiles},
    {"planar strips", 2, 4, 0, tlSeparateStrips},
    {"planar tiles", 2, 0, 16, tlSeparateTiles},
};

TTiffPicture InLayout(const TLayoutCase& C, uint32_t Seed = 0) {
  TTiffPicture P = TTiffPicture::Pattern(37, 29, 16, 3, Seed);
  P.Planar = C.Planar;
  P.RowsPerStrip = C.RowsPerStrip;
  P.TileWidth = P.TileLength = C.Tile;
  return P;
}

TEST(TiffReaderDirect, AllFourLayoutsArriveValueForValue) {
  TTempDir Dir;
  for (const TLayoutCase& C : Layouts) {
    SCOPED_TRACE(C.Name);
    const std::string File = Dir.File("layout.tif");
    const TTiffPicture P = InLayout(C);
    WriteTiff(File, P);
    EXPECT_EQ(LayoutOf(File), C.Layout);
    ExpectSameSamples(LoadTiffForTest(File), P);
  }
}

TEST(TiffReaderDirect, RowsPerStripAboveTheHeightIsOneStrip) {
  TTempDir Dir;
  for (uint16_t Planar : {1, 2}) {
    TTiffPicture P = TTiffPicture::Pattern(23, 7);
    P.Planar = Planar;
    P.RowsPerStrip = 1000;
    WriteTiff(Dir.File("tall.tif"), P);
    ExpectSameSamples(LoadTiffForTest(Dir.File("tall.tif")), P);
  }
}

TEST(TiffReaderDirect, PlanarStripsAreNumberedAcrossThePlanes) {
  TTempDir Dir;
  const std::string File = Dir.File("planar.tif");
  TTiffPicture P = TTiffPicture::Pattern(11, 30);
  P.Planar = 2;
  P.RowsPerStrip = 3;
  WriteTiff(File, P);
  TIFF* Handle = TIFFOpen(File.c_str(), "r");
  ASSERT_NE(Handle, nullptr);
  EXPECT_EQ(TIFFNumberOfStrips(Handle), 30u); // 10 per plane
  TIFFClose(Handle);
  ExpectSameSamples(LoadTiffForTest(File), P);
}

TEST(TiffReaderDirect, NoPlanarConfigurationFieldMeansInterleaved) {
  TTempDir Dir;
  for (uint32_t Tile : {0u, 16u}) {
    const std::string File = Dir.File("noplanar.tif");
    TTiffPicture P = TTiffPicture::Pattern(37, 29);
    P.RowsPerStrip = 5;
    P.TileWidth = P.TileLength = Tile;
    WriteTiff(File, P);
    HideTiffTag(File, TIFFTAG_PLANARCONFIG);
    // The entry is gone from the directory.
    EXPECT_THROW(HideTiffTag(File, TIFFTAG_PLANARCONFIG), std::runtime_error);
    EXPECT_EQ(LayoutOf(File), Tile ? tlContigTiles : tlContigStrips);
    ExpectSameSamples(LoadTiffForTest(File), P);
  }
}

TEST(TiffReaderDirect, BigEndianAndBigTiffFilesReadTheSame) {
  TTempDir Dir;
  for (const char* Mode : {"wb", "w8", "wb8"})
    for (const TLayoutCase& C : Layouts) {
      SCOPED_TRACE(std::string(Mode) + " " + C.Name);
      const std::string File = Dir.File("order.tif");
      const TTiffPicture P = InLayout(C, 7);
      WriteTiff(File, P, Mode);
      EXPECT_EQ(ReadBytes(File).substr(0, 2), Mode[1] == 'b' ? "MM" : "II");
      ExpectSameSamples(LoadTiffForTest(File), P);
    }
}

TEST(TiffReaderDirect, CompressedFilesReadLikeTheirUncompressedTwins) {
  TTempDir Dir;
  struct TCodec {
    uint16_t Compression;
    uint16_t Predictor;
  };
  const TCodec Codecs[] = {{COMPRESSION_LZW, 1},
                           {COMPRESSION_LZW, 2},
                           {COMPRESSION_ADOBE_DEFLATE, 1},
                           {COMPRESSION_DEFLATE, 2},
                           {COMPRESSION_PACKBITS, 1}};
  for (const TLayoutCase& C : Layouts) {
    const TTiffPicture P = InLayout(C, 3);
    WriteTiff(Dir.File("plain.tif"), P);
    const TTiffLoad Plain = LoadTiffForTest(Dir.File("plain.tif"));
    ExpectSameSamples(Plain, P);
    for (const TCodec& Codec : Codecs) {
      SCOPED_TRACE(std::string(C.Name) + ", compression " + std::to_string(Codec.Compression) +
                   ", predictor " + std::to_string(Codec.Predictor));
      TTiffPicture Twin = P;
      Twin.Compression = Codec.Compression;
      Twin.Predictor = Codec.Predictor;
      WriteTiff(Dir.File("twin.tif"), Twin);
      EXPECT_NE(ReadBytes(Dir.File("twin.tif")), ReadBytes(Dir.File("plain.tif")));
      const TTiffLoad L = LoadTiffForTest(Dir.File("twin.tif"));
      ExpectSameSamples(L, P);
    }
  }
}

TEST(TiffReaderDirect, OrientationIsNotAppliedTo16BitRgb) {
  TTempDir Dir;
  TTiffPicture P = TTiffPicture::Pattern(9, 6);
  P.Orientation = ORIENTATION_BOTLEFT;
  WriteTiff(Dir.File("botleft.tif"), P);
  ExpectSameSamples(LoadTiffForTest(Dir.File("botleft.tif")), P);
}

TEST(TiffReaderDirect, OnlyTheFirstImageOfAFileIsRead) {
  TTempDir Dir;
  const TTiffPicture First = TTiffPicture::Pattern(13, 5, 16, 3, 1);
  TTiffPicture Second = TTiffPicture::Pattern(40, 30, 16, 3, 2);
  Second.TileWidth = Second.TileLength = 16;
  WriteTiff(Dir.File("two.tif"), {First, Second});
  ExpectSameSamples(LoadTiffForTest(Dir.File("two.tif")), First);
}

TEST(TiffReaderDirect, InputReadsIntoPlanesOfTheRightSizeAgain) {
  TTempDir Dir;
  const TTiffPicture A = TTiffPicture::Pattern(13, 5, 16, 3, 1);
  const TTiffPicture B = TTiffPicture::Pattern(13, 5, 16, 3, 2);
  TTiffPicture Planar = TTiffPicture::Pattern(13, 5, 16, 3, 3);
  Planar.Planar = 2;
  WriteTiff(Dir.File("a.tif"), A);
  WriteTiff(Dir.File("b.tif"), B);
  WriteTiff(Dir.File("planar.tif"), Planar);
  WriteTiff(Dir.File("small.tif"), TTiffPicture::Pattern(4, 3));
  TPlane16 Red, Green, Blue;
  const auto Samples = [&](const TTiffInput& Input) {
    std::vector<uint32_t> Result;
    for (uint32_t I = 0; I < Input.Width() * Input.Height(); ++I)
      Result.insert(Result.end(), {Red[I], Green[I], Blue[I]});
    return Result;
  };

  TTiffInput First(Dir.File("a.tif"));
  EXPECT_EQ(First.Width(), 13u);
  EXPECT_EQ(First.Height(), 5u);
  First.Read(Red, Green, Blue);
  EXPECT_EQ(Samples(First), A.Samples);
  const uint16_t* Kept = Red.get();
  // Planes that hold the picture are filled again, whatever the layout;
  // smaller pictures fit them too.
  for (const auto& [Name, Picture] : {std::pair{"b.tif", &B}, {"planar.tif", &Planar}}) {
    TTiffInput Next(Dir.File(Name));
    Next.Read(Red, Green, Blue);
    EXPECT_EQ(Red.get(), Kept) << Name;
    EXPECT_EQ(Samples(Next), Picture->Samples) << Name;
  }
  TTiffInput Small(Dir.File("small.tif"));
  Small.Read(Red, Green, Blue);
  EXPECT_EQ(Red.get(), Kept);
  EXPECT_EQ(Samples(Small), TTiffPicture::Pattern(4, 3).Samples);
  // A larger one gets new planes.
  TTiffPicture Large = TTiffPicture::Pattern(20, 9, 16, 3, 4);
  WriteTiff(Dir.File("large.tif"), Large);
  TTiffInput Wide(Dir.File("large.tif"));
  Wide.Read(Red, Green, Blue);
  EXPECT_EQ(Samples(Wide), Large.Samples);
}

TEST(TiffReaderDirect, InputRefusesBySizeOrFailsAsLoadTiff16) {
  TTempDir Dir;
  // 40000 x 30000 pixels: planes of 2.4 GB each cannot be allocated, and
  // the header says so before anything is read.
  TTiffPicture Huge = TTiffPicture::Pattern(16, 16);
  WriteTiff(Dir.File("huge.tif"), Huge);
  PatchTiffEntry(Dir.File("huge.tif"), 256, 40000);
  PatchTiffEntry(Dir.File("huge.tif"), 257, 30000);
  PatchTiffEntry(Dir.File("huge.tif"), 278, 30000);
  const auto MessageOf = [](const std::function<void()>& Body) {
    try {
      Body();
    } catch (const Exception& E) {
      return E.ClassName() + ": " + E.Message();
    }
    return std::string("none");
  };
  EXPECT_EQ(MessageOf([&] { TTiffInput Input(Dir.File("huge.tif")); }), "Exception: Out of memory");
  EXPECT_EQ(MessageOf([&] { TTiffInput Input(Dir.File("none.tif")); }),
            "Exception: Unable to open input TIFF file '" + Dir.File("none.tif") + "'");

  // A strip cut short fails the read and empties the planes.
  TTiffPicture Cut = TTiffPicture::Pattern(16, 16);
  Cut.RowsPerStrip = 4;
  WriteTiff(Dir.File("cut.tif"), Cut);
  PatchTiffEntry(Dir.File("cut.tif"), 279, 10, 2);
  TPlane16 Red = AllocPlane16(16, 16), Green = AllocPlane16(16, 16), Blue = AllocPlane16(16, 16);
  TTiffInput Input(Dir.File("cut.tif"));
  EXPECT_EQ(MessageOf([&] { Input.Read(Red, Green, Blue); }), "Exception: Unexpected error");
  EXPECT_TRUE(!Red && !Green && !Blue);
}

// Strips read in parts come from the file that was opened, also when its
// name leads to another file by the time they are read.
TEST(TiffReaderDirect, StreamedStripsComeFromTheFileOpenedEvenWhenItsNameIsReplaced) {
  TTempDir Dir;
  TTiffPicture First = TTiffPicture::Pattern(40, 30, 16, 3, 1);
  TTiffPicture Second = TTiffPicture::Pattern(40, 30, 16, 3, 2);
  First.RowsPerStrip = Second.RowsPerStrip = 4;
  WriteTiff(Dir.File("a.tif"), First);
  WriteTiff(Dir.File("b.tif"), Second);
  TTiffInput Input(Dir.File("a.tif"));
  ASSERT_TRUE(Input.Streamable());
  Input.CheckStrips();
  std::filesystem::rename(Dir.File("b.tif"), Dir.File("a.tif"));
  std::vector<uint16_t> Rgb(40 * 30 * 3);
  Input.ReadStrips(3, RunPartsInTurn,
                   [&](int, uint32_t Y0, uint32_t Rows, const uint16_t* Samples) {
                     std::copy_n(Samples, Rows * 40 * 3, Rgb.begin() + Y0 * 40 * 3);
                   });
  for (uint32_t Y = 0; Y < 30; ++Y)
    for (uint32_t X = 0; X < 40; ++X)
      for (uint16_t C = 0; C < 3; ++C)
        ASSERT_EQ(Rgb[(Y * 40 + X) * 3 + C], First.At(X, Y, C)) << X << " " << Y << " " << C;
}

} // namespace
