// Everything that is not 16-bit RGB with three samples comes through
// libtiff's RGBA conversion at 8 bits per channel, widened by repeating
// the byte, and turned to the displayed orientation.
#include "AsSaveTiff16Unit.h"
#include "TempDir.h"
#include "TiffMaker.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct TRgb {
  uint32_t R, G, B;
};

// Expected (x, y) of the planes, as 16-bit values, against the planes.
template <class F> void ExpectPixels(const TTiffLoad& L, uint32_t Width, uint32_t Height, F Want) {
  ASSERT_FALSE(L.Failed) << L.Message;
  ASSERT_EQ(L.Width, Width);
  ASSERT_EQ(L.Height, Height);
  int Wrong = 0;
  for (uint32_t Y = 0; Y < Height; ++Y)
    for (uint32_t X = 0; X < Width; ++X) {
      const size_t I = size_t{Y} * Width + X;
      const TRgb W = Want(X, Y);
      if ((L.Red[I] != W.R || L.Green[I] != W.G || L.Blue[I] != W.B) && ++Wrong <= 5)
        ADD_FAILURE() << "pixel (" << X << ", " << Y << "): " << L.Red[I] << " " << L.Green[I]
                      << " " << L.Blue[I] << ", want " << W.R << " " << W.G << " " << W.B;
    }
  EXPECT_EQ(Wrong, 0);
}

// A 16-bit picture whose samples are all v * 257, so that reducing them to
// 8 bits loses nothing and the widened result must equal them again.
TTiffPicture Exact16(uint32_t Width, uint32_t Height, uint16_t Samples) {
  TTiffPicture P = TTiffPicture::Pattern(Width, Height, 8, Samples);
  P.BitsPerSample = 16;
  for (uint32_t& V : P.Samples)
    V *= 257;
  return P;
}

TEST(TiffReaderGeneric, EightBitRgbIsWidenedByRepeatingTheByte) {
  TTempDir Dir;
  for (uint16_t Planar : {1, 2}) {
    TTiffPicture P = TTiffPicture::Pattern(19, 7, 8);
    P.Planar = Planar;
    P.RowsPerStrip = 2;
    // The ends of the range and their neighbours.
    const uint32_t Edge[] = {0, 1, 255, 254, 128, 127};
    std::copy(std::begin(Edge), std::end(Edge), P.Samples.begin());
    WriteTiff(Dir.File("rgb8.tif"), P);
    const TTiffLoad L = LoadTiffForTest(Dir.File("rgb8.tif"));
    ExpectPixels(L, 19, 7, [&](uint32_t X, uint32_t Y) {
      return TRgb{P.At(X, Y, 0) * 257, P.At(X, Y, 1) * 257, P.At(X, Y, 2) * 257};
    });
    ASSERT_FALSE(L.Failed);
    EXPECT_EQ(L.Red[0], 0);
    EXPECT_EQ(L.Green[0], 257);
    EXPECT_EQ(L.Blue[0], 65535);
  }
}

TEST(TiffReaderGeneric, SixteenBitRgbaLosesAlphaAndPrecision) {
  TTempDir Dir;
  TTiffPicture P = Exact16(17, 9, 4);
  P.ExtraSamples = 1;
  P.TileWidth = P.TileLength = 16;
  WriteTiff(Dir.File("rgba.tif"), P);
  ExpectPixels(LoadTiffForTest(Dir.File("rgba.tif")), 17, 9, [&](uint32_t X, uint32_t Y) {
    return TRgb{P.At(X, Y, 0), P.At(X, Y, 1), P.At(X, Y, 2)};
  });

  // Values between the steps of 257 arrive at a neighbouring step.
  TTiffPicture Fine = TTiffPicture::Pattern(17, 9, 16, 4);
  Fine.ExtraSamples = 1;
  WriteTiff(Dir.File("fine.tif"), Fine);
  const TTiffLoad L = LoadTiffForTest(Dir.File("fine.tif"));
  ASSERT_FALSE(L.Failed) << L.Message;
  for (uint32_t I = 0; I < 17 * 9; ++I) {
    const int Want = static_cast<int>(Fine.Samples[4 * I]);
    EXPECT_EQ(L.Red[I] % 257, 0);
    EXPECT_LE(std::abs(L.Red[I] - Want), 257) << I;
  }
}

TEST(TiffReaderGeneric, GreyAndBilevelFillAllThreePlanes) {
  TTempDir Dir;
  TTiffPicture Grey = Exact16(21, 6, 1);
  Grey.Photometric = PHOTOMETRIC_MINISBLACK;
  WriteTiff(Dir.File("grey.tif"), Grey);
  ExpectPixels(LoadTiffForTest(Dir.File("grey.tif")), 21, 6, [&](uint32_t X, uint32_t Y) {
    const uint32_t V = Grey.At(X, Y, 0);
    return TRgb{V, V, V};
  });

  for (uint16_t Photometric : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
    TTiffPicture Bits = TTiffPicture::Pattern(21, 6, 1, 1);
    Bits.Photometric = Photometric;
    WriteTiff(Dir.File("bilevel.tif"), Bits);
    ExpectPixels(LoadTiffForTest(Dir.File("bilevel.tif")), 21, 6, [&](uint32_t X, uint32_t Y) {
      const bool White = (Bits.At(X, Y, 0) == 1) == (Photometric == PHOTOMETRIC_MINISBLACK);
      const uint32_t V = White ? 65535 : 0;
      return TRgb{V, V, V};
    });
  }
}

TEST(TiffReaderGeneric, PaletteIndicesBecomeTheirColours) {
  TTempDir Dir;
  TTiffPicture P = TTiffPicture::Pattern(15, 8, 8, 1);
  P.Photometric = PHOTOMETRIC_PALETTE;
  P.ColorMap.resize(3 * 256);
  for (uint32_t I = 0; I < 256; ++I) {
    P.ColorMap[I] = static_cast<uint16_t>(I * 257);
    P.ColorMap[256 + I] = static_cast<uint16_t>((255 - I) * 257);
    P.ColorMap[512 + I] = static_cast<uint16_t>((I * 7 % 256) * 257);
  }
  WriteTiff(Dir.File("palette.tif"), P);
  ExpectPixels(LoadTiffForTest(Dir.File("palette.tif")), 15, 8, [&](uint32_t X, uint32_t Y) {
    const uint32_t I = P.At(X, Y, 0);
    return TRgb{P.ColorMap[I], P.ColorMap[256 + I], P.ColorMap[512 + I]};
  });
}

TEST(TiffReaderGeneric, EightBitBottomLeftIsTurnedToTheDisplayedTop) {
  TTempDir Dir;
  TTiffPicture P = TTiffPicture::Pattern(10, 7, 8);
  P.Orientation = ORIENTATION_BOTLEFT;
  P.RowsPerStrip = 3;
  WriteTiff(Dir.File("botleft8.tif"), P);
  ExpectPixels(LoadTiffForTest(Dir.File("botleft8.tif")), 10, 7, [&](uint32_t X, uint32_t Y) {
    const uint32_t Stored = 6 - Y;
    return TRgb{P.At(X, Stored, 0) * 257, P.At(X, Stored, 1) * 257, P.At(X, Stored, 2) * 257};
  });
}

TEST(TiffReaderGeneric, RowsPerStripMayBeMissingOutsideTheDirectPaths) {
  TTempDir Dir;
  const std::string File = Dir.File("norps8.tif");
  const TTiffPicture P = TTiffPicture::Pattern(12, 5, 8);
  WriteTiff(File, P);
  HideTiffTag(File, TIFFTAG_ROWSPERSTRIP);
  ExpectPixels(LoadTiffForTest(File), 12, 5, [&](uint32_t X, uint32_t Y) {
    return TRgb{P.At(X, Y, 0) * 257, P.At(X, Y, 1) * 257, P.At(X, Y, 2) * 257};
  });
}

} // namespace
