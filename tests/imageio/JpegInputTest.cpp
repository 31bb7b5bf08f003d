#include "JpegInput.h"
#include "JpegMaker.h"
#include "TempDir.h"
#include "VekExceptions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <set>

namespace {

struct TBgr {
  int B, G, R;
};

TBgr PixelAt(const TBitmap24& Bitmap, int X, int Y) {
  const uint8_t* P = Bitmap.Row(Y) + 3 * X;
  return {P[0], P[1], P[2]};
}

bool Near(const TBgr& Pixel, const TBgr& Expected, int Tolerance) {
  return std::abs(Pixel.B - Expected.B) <= Tolerance &&
         std::abs(Pixel.G - Expected.G) <= Tolerance && std::abs(Pixel.R - Expected.R) <= Tolerance;
}

// Counts the pixels farther than Tolerance from Expected.
int64_t CountOff(const TBitmap24& Bitmap, const TBgr& Expected, int Tolerance) {
  int64_t Off = 0;
  for (int Y = 0; Y < Bitmap.Height(); ++Y)
    for (int X = 0; X < Bitmap.Width(); ++X)
      Off += !Near(PixelAt(Bitmap, X, Y), Expected, Tolerance);
  return Off;
}

// Colour picture: red top band of 16 rows, blue below; a green column at
// the right edge, so orientation and channel order both show.
TJpegPicture Banded(int Width, int Height) {
  TJpegPicture Picture = TJpegPicture::Solid(Width, Height, TJpegKind::Rgb, {0, 0, 255});
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      uint8_t* P = Picture.At(X, Y);
      if (Y < 16) {
        P[0] = 255, P[1] = 0, P[2] = 0;
      } else if (X >= Width - 16) {
        P[0] = 0, P[1] = 255, P[2] = 0;
      }
    }
  return Picture;
}

// Writes Bytes to Path and expects reading its header into Image to fail
// with Message.
void ExpectHeaderError(TJpegImage& Image, const std::string& Path, const std::string& Bytes,
                       const std::string& Message) {
  WriteBytes(Path, Bytes);
  try {
    LoadJpegHeader(Image, Path);
    ADD_FAILURE() << Path << ": no exception";
  } catch (const EJPEG& E) {
    EXPECT_EQ(E.Message(), Message) << Path;
  }
}

void ExpectBanded(const TBitmap24& Bitmap, int Width, int Height) {
  ASSERT_EQ(Bitmap.Width(), Width);
  ASSERT_EQ(Bitmap.Height(), Height);
  EXPECT_TRUE(Near(PixelAt(Bitmap, 0, 0), {0, 0, 255}, 6)); // red top left
  EXPECT_TRUE(Near(PixelAt(Bitmap, Width - 1, 0), {0, 0, 255}, 6));
  EXPECT_TRUE(Near(PixelAt(Bitmap, 0, Height - 1), {255, 0, 0}, 6)); // blue below
  EXPECT_TRUE(Near(PixelAt(Bitmap, Width - 1, Height - 1), {0, 255, 0}, 6));
}

std::string ErrorOf(const std::string& FileName) {
  TJpegImage Image;
  TBitmap24 Bitmap;
  try {
    LoadJpegBgr(Image, FileName, Bitmap);
  } catch (const EJPEG& Error) {
    return Error.Message();
  }
  return "no EJPEG";
}

TEST(JpegInput, BaselineRedPictureGivesBgrBytes) {
  TTempDir Dir;
  WriteJpeg(Dir.File("red.jpg"), TJpegPicture::Solid(640, 480, TJpegKind::Rgb, {255, 0, 0}));
  TJpegImage Image;
  TBitmap24 Bitmap;
  LoadJpegBgr(Image, Dir.File("red.jpg"), Bitmap);
  ASSERT_EQ(Bitmap.Width(), 640);
  ASSERT_EQ(Bitmap.Height(), 480);
  EXPECT_EQ(Bitmap.Stride(), 1920);
  // Red at byte offset 2, blue at 0, in every pixel.
  EXPECT_EQ(CountOff(Bitmap, {0, 0, 255}, 3), 0);
}

TEST(JpegInput, TopRowFirstBaselineAndProgressiveAlike) {
  TTempDir Dir;
  const TJpegPicture Picture = Banded(203, 61); // odd width: rows carry padding
  WriteJpeg(Dir.File("base.jpg"), Picture, {95, false});
  WriteJpeg(Dir.File("prog.jpg"), Picture, {95, true});
  ASSERT_NE(ReadBytes(Dir.File("base.jpg")), ReadBytes(Dir.File("prog.jpg")));
  TJpegImage Image;
  TBitmap24 Baseline, Progressive;
  LoadJpegBgr(Image, Dir.File("base.jpg"), Baseline);
  LoadJpegBgr(Image, Dir.File("prog.jpg"), Progressive);
  ExpectBanded(Baseline, 203, 61);
  ExpectBanded(Progressive, 203, 61);
  int MaxDifference = 0;
  for (int Y = 0; Y < 61; ++Y)
    for (int X = 0; X < 203 * 3; ++X)
      MaxDifference = std::max(MaxDifference, std::abs(Baseline.Row(Y)[X] - Progressive.Row(Y)[X]));
  EXPECT_LE(MaxDifference, 2);
}

TEST(JpegInput, FatalDecoderErrorsCarryLibjpegCodes) {
  TTempDir Dir;
  WriteBytes(Dir.File("picture.jpg"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  WriteBytes(Dir.File("empty.jpg"), "");
  EXPECT_EQ(ErrorOf(Dir.File("picture.jpg")), "JPEG error #53");
  EXPECT_EQ(ErrorOf(Dir.File("empty.jpg")), "JPEG error #42");
  // Just the start-of-image marker: the data ends where the header should be.
  WriteBytes(Dir.File("soi.jpg"), "\xFF\xD8");
  EXPECT_EQ(ErrorOf(Dir.File("soi.jpg")).rfind("JPEG error #", 0), 0u);
}

TEST(JpegInput, UnopenableFileRaisesFileOpenError) {
  TTempDir Dir;
  TJpegImage Image;
  TBitmap24 Bitmap;
  EXPECT_THROW(LoadJpegBgr(Image, Dir.File("missing.jpg"), Bitmap), EFOpenError);
  EXPECT_THROW(LoadJpegBgr(Image, Dir.Path().string(), Bitmap), EFOpenError);
}

TEST(JpegInput, TruncatedFileDecodesCompletely) {
  TTempDir Dir;
  // Texture below the red band, so the file spans several source chunks.
  TJpegPicture Picture = Banded(320, 240);
  uint32_t Noise = 12345;
  for (int Y = 16; Y < 240; ++Y)
    for (int X = 0; X < 320; ++X)
      Picture.At(X, Y)[1] = static_cast<uint8_t>((Noise = Noise * 1103515245 + 12345) >> 24);
  for (bool Progressive : {false, true}) {
    const std::string Bytes = EncodeJpeg(Picture, {90, Progressive});
    ASSERT_GT(Bytes.size(), 3 * 4096u);
    WriteBytes(Dir.File("cut.jpg"), Bytes.substr(0, Bytes.size() / 2));
    TJpegImage Image;
    TBitmap24 Bitmap;
    ASSERT_NO_THROW(LoadJpegBgr(Image, Dir.File("cut.jpg"), Bitmap));
    EXPECT_EQ(Bitmap.Width(), 320);
    EXPECT_EQ(Bitmap.Height(), 240);
    if (!Progressive) { // the first half of a baseline file holds the top rows
      EXPECT_TRUE(Near(PixelAt(Bitmap, 5, 5), {0, 0, 255}, 6));
    }
  }
}

TEST(JpegInput, GreyFileBecomesExactGreyBgrRows) {
  TTempDir Dir;
  TJpegPicture Ramp = TJpegPicture::Solid(256, 24, TJpegKind::Grey, {0});
  for (int Y = 0; Y < 24; ++Y)
    for (int X = 0; X < 256; ++X)
      *Ramp.At(X, Y) = static_cast<uint8_t>(X);
  WriteJpeg(Dir.File("grey.jpg"), Ramp, {100, false});
  TJpegImage Image;
  TBitmap24 Bitmap;
  LoadJpegBgr(Image, Dir.File("grey.jpg"), Bitmap);
  ASSERT_EQ(Bitmap.Width(), 256);
  ASSERT_EQ(Bitmap.Height(), 24);
  std::set<int> Greys;
  int Unequal = 0, Far = 0;
  for (int Y = 0; Y < 24; ++Y)
    for (int X = 0; X < 256; ++X) {
      const TBgr P = PixelAt(Bitmap, X, Y);
      Unequal += P.B != P.G || P.G != P.R;
      Far += std::abs(P.G - X) > 2;
      Greys.insert(P.G);
    }
  EXPECT_EQ(Unequal, 0);
  EXPECT_EQ(Far, 0);
  EXPECT_GT(Greys.size(), 236u); // not reduced to a palette
}

TEST(JpegInput, CmykFilesAreConvertedToBgr) {
  TTempDir Dir;
  // Adobe's inverted CMYK: 255 means no ink. Cyan-free, magenta and
  // yellow full, no black: red.
  WriteJpeg(Dir.File("adobe.jpg"), TJpegPicture::Solid(40, 24, TJpegKind::Cmyk, {255, 0, 0, 255}),
            {100});
  // Plain CMYK with half black and full yellow: dark yellow.
  TJpegOptions Plain{100};
  Plain.AdobeMarker = false;
  WriteJpeg(Dir.File("plain.jpg"), TJpegPicture::Solid(40, 24, TJpegKind::Cmyk, {0, 0, 255, 128}),
            Plain);
  TJpegImage Image;
  TBitmap24 Bitmap;
  LoadJpegBgr(Image, Dir.File("adobe.jpg"), Bitmap);
  ASSERT_EQ(Bitmap.Width(), 40);
  EXPECT_EQ(CountOff(Bitmap, {0, 0, 255}, 3), 0);
  LoadJpegBgr(Image, Dir.File("plain.jpg"), Bitmap);
  EXPECT_EQ(CountOff(Bitmap, {0, 127, 127}, 3), 0);
}

TEST(JpegInput, OneImageObjectServesFilesOfDifferentSizes) {
  TTempDir Dir;
  WriteJpeg(Dir.File("a.jpg"), Banded(640, 480));
  WriteJpeg(Dir.File("b.jpg"), Banded(37, 19));
  WriteJpeg(Dir.File("c.jpg"), TJpegPicture::Solid(1000, 700, TJpegKind::Rgb, {0, 255, 0}));
  TJpegImage Image;
  TBitmap24 Bitmap;
  LoadJpegBgr(Image, Dir.File("a.jpg"), Bitmap);
  ExpectBanded(Bitmap, 640, 480);
  LoadJpegBgr(Image, Dir.File("b.jpg"), Bitmap);
  ExpectBanded(Bitmap, 37, 19);
  LoadJpegBgr(Image, Dir.File("c.jpg"), Bitmap);
  ASSERT_EQ(Bitmap.Width(), 1000);
  EXPECT_EQ(CountOff(Bitmap, {0, 255, 0}, 3), 0);
  // A failure leaves the object usable for the next file.
  EXPECT_THROW(LoadJpegBgr(Image, Dir.File("missing.jpg"), Bitmap), EFOpenError);
  LoadJpegBgr(Image, Dir.File("b.jpg"), Bitmap);
  ExpectBanded(Bitmap, 37, 19);
}

TEST(JpegInput, PictureTooLargeForOneBitmapIsOutOfMemory) {
  TTempDir Dir;
  std::string Bytes = EncodeJpeg(TJpegPicture::Solid(16, 16, TJpegKind::Rgb, {9, 9, 9}));
  // Height and width of the frame header set to 65500 each.
  const size_t Frame = Bytes.find("\xFF\xC0");
  ASSERT_NE(Frame, std::string::npos);
  Bytes.replace(Frame + 5, 4, "\xFF\xDC\xFF\xDC");
  WriteBytes(Dir.File("huge.jpg"), Bytes);
  TJpegImage Image;
  TBitmap24 Bitmap;
  EXPECT_THROW(LoadJpegBgr(Image, Dir.File("huge.jpg"), Bitmap), EOutOfMemory);
}

TEST(JpegInput, HeaderGivesTheSizeBeforeTheDecodingAndIsUsedUpByIt) {
  TTempDir Dir;
  WriteJpeg(Dir.File("a.jpg"), Banded(64, 40));
  TJpegImage Image;
  TBitmap24 Bitmap;
  LoadJpegHeader(Image, Dir.File("a.jpg"));
  EXPECT_EQ(Image.Width(), 64);
  EXPECT_EQ(Image.Height(), 40);
  EXPECT_EQ(Bitmap.Width(), 0);
  DecodeJpegBgr(Image, Bitmap);
  ExpectBanded(Bitmap, 64, 40);
  // Each load decodes once.
  EXPECT_THROW(DecodeJpegBgr(Image, Bitmap), Exception);
  TJpegImage Unloaded;
  EXPECT_THROW(DecodeJpegBgr(Unloaded, Bitmap), Exception);

  // A header libjpeg refuses fails the load with the code a whole decode
  // would give; an empty file as well.
  ExpectHeaderError(Image, Dir.File("png.jpg"), "\x89PNG\r\n\x1a\n", "JPEG error #53");
  ExpectHeaderError(Image, Dir.File("empty.jpg"), "", "JPEG error #42");
  // The header of a picture too large for a bitmap is still read.
  std::string Bytes = EncodeJpeg(TJpegPicture::Solid(16, 16, TJpegKind::Rgb, {9, 9, 9}));
  const size_t Frame = Bytes.find("\xFF\xC0");
  ASSERT_NE(Frame, std::string::npos);
  Bytes.replace(Frame + 5, 4, "\xFF\xDC\xFF\xDC");
  WriteBytes(Dir.File("huge.jpg"), Bytes);
  LoadJpegHeader(Image, Dir.File("huge.jpg"));
  EXPECT_EQ(Image.Width(), 65500);
  EXPECT_EQ(Image.Height(), 65500);
}

TEST(JpegInput, DecodingStopsWhenAskedAndTheObjectServesTheNextFile) {
  TTempDir Dir;
  WriteJpeg(Dir.File("a.jpg"), Banded(64, 40));
  TJpegImage Image;
  TBitmap24 Bitmap;
  const std::atomic<bool> Stop{true};
  LoadJpegHeader(Image, Dir.File("a.jpg"));
  EXPECT_THROW(DecodeJpegBgr(Image, Bitmap, &Stop), EAbort);
  const std::atomic<bool> Go{false};
  LoadJpegHeader(Image, Dir.File("a.jpg"));
  DecodeJpegBgr(Image, Bitmap, &Go);
  ExpectBanded(Bitmap, 64, 40);
}

} // namespace
