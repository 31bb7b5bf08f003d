// Writes the seed corpora of the fuzz targets into one folder per target
// below the folder given: tiny JPEG, TIFF and raw files of every kind the
// tests make, settings files, log records and conversion texts.
#include "DngMaker.h"
#include "JpegMaker.h"
#include "MetaMaker.h"
#include "TempDir.h"
#include "TiffMaker.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TSeeds {
  fs::path Root;

  void Put(const std::string& Target, const std::string& Name, const std::string& Bytes) const {
    fs::create_directories(Root / Target);
    WriteBytes((Root / Target / Name).string(), Bytes);
  }
  // Literals may hold zero bytes: their whole length counts.
  template <size_t N>
  void Put(const std::string& Target, const std::string& Name, const char (&Bytes)[N]) const {
    Put(Target, Name, std::string(Bytes, N - 1));
  }
};

std::string Jpeg(int Width, int Height, TJpegKind Kind, int Quality, bool Progressive) {
  TJpegPicture Picture = TJpegPicture::Solid(
      Width, Height, Kind,
      std::vector<uint8_t>(static_cast<size_t>(TJpegPicture::ComponentsOf(Kind)), 0));
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      for (int C = 0; C < TJpegPicture::ComponentsOf(Kind); ++C)
        Picture.At(X, Y)[C] = static_cast<uint8_t>(X * 37 + Y * 11 + C * 80);
  TJpegOptions Options;
  Options.Quality = Quality;
  Options.Progressive = Progressive;
  return EncodeJpeg(Picture, Options);
}

// A profile in two APP2 segments and an EXIF block with every field the
// reader takes and some it drops.
std::vector<std::pair<int, std::string>> MetaSegments() {
  std::vector<std::pair<int, std::string>> Segments = IccSegments(TestProfile(70000, 1));
  using F = TExifField;
  Segments.push_back(ExifSegment({F::Text(271, "Make"), F::Short(274, 6), F::Text(33432, "C")},
                                 {F::Text(36867, "2026:01:02 03:04:05"), F::Rational(33437, 28, 10),
                                  F::Undefined(37500, "note")},
                                 {F::Text(1, "N")}));
  return Segments;
}

std::vector<std::pair<std::string, std::string>> JpegSeeds() {
  const std::string Baseline = Jpeg(16, 16, TJpegKind::Rgb, 90, false);
  return {{"rgb-baseline.jpg", Baseline},
          {"rgb-progressive.jpg", Jpeg(16, 16, TJpegKind::Rgb, 90, true)},
          {"rgb-q100-odd.jpg", Jpeg(13, 11, TJpegKind::Rgb, 100, false)},
          {"rgb-q5-wide.jpg", Jpeg(33, 17, TJpegKind::Rgb, 5, false)},
          {"grey.jpg", Jpeg(9, 7, TJpegKind::Grey, 75, false)},
          {"grey-progressive.jpg", Jpeg(9, 7, TJpegKind::Grey, 75, true)},
          {"cmyk.jpg", Jpeg(8, 8, TJpegKind::Cmyk, 80, false)},
          {"truncated.jpg", Baseline.substr(0, Baseline.size() / 2)},
          {"profile-exif.jpg", WithSegments(Baseline, MetaSegments())}};
}

TTiffPicture Tiff(uint32_t Width, uint32_t Height, uint16_t Bits, uint16_t Samples,
                  uint16_t Photometric) {
  TTiffPicture P = TTiffPicture::Pattern(Width, Height, Bits, Samples);
  P.Photometric = Photometric;
  return P;
}

std::string TiffBytes(const TTempDir& Scratch, const TTiffPicture& Picture,
                      const std::string& Mode = "w") {
  const std::string Name = Scratch.File("seed.tif");
  WriteTiff(Name, Picture, Mode);
  return ReadBytes(Name);
}

std::vector<std::pair<std::string, std::string>> TiffSeeds(const TTempDir& Scratch) {
  std::vector<std::pair<std::string, TTiffPicture>> Pictures;
  TTiffPicture P = Tiff(9, 7, 16, 3, 2);
  P.RowsPerStrip = 2;
  Pictures.emplace_back("rgb16-contig-strips.tif", P);
  P.Planar = 2;
  Pictures.emplace_back("rgb16-separate-strips.tif", P);
  P = Tiff(20, 18, 16, 3, 2);
  P.TileWidth = P.TileLength = 16;
  Pictures.emplace_back("rgb16-contig-tiles.tif", P);
  P.Planar = 2;
  Pictures.emplace_back("rgb16-separate-tiles.tif", P);
  P = Tiff(9, 7, 16, 3, 2);
  P.Compression = 5;
  P.Predictor = 2;
  Pictures.emplace_back("rgb16-lzw-predictor.tif", P);
  P = Tiff(20, 18, 16, 3, 2);
  P.TileWidth = P.TileLength = 16;
  P.Compression = 8;
  Pictures.emplace_back("rgb16-deflate-tiles.tif", P);
  P = Tiff(9, 7, 8, 3, 2);
  Pictures.emplace_back("rgb8.tif", P);
  P.Compression = 32773;
  Pictures.emplace_back("rgb8-packbits.tif", P);
  P.IccProfile = TestProfile(3000, 2);
  Pictures.emplace_back("rgb8-profile.tif", P);
  P = Tiff(9, 7, 8, 3, 2);
  P.Orientation = 3;
  Pictures.emplace_back("rgb8-orientation3.tif", P);
  Pictures.emplace_back("grey8.tif", Tiff(9, 7, 8, 1, 1));
  Pictures.emplace_back("grey16.tif", Tiff(9, 7, 16, 1, 1));
  Pictures.emplace_back("bilevel-miniswhite.tif", Tiff(9, 7, 1, 1, 0));
  P = Tiff(9, 7, 8, 1, 3);
  for (int I = 0; I < 3 * 256; ++I)
    P.ColorMap.push_back(static_cast<uint16_t>(I * 85));
  Pictures.emplace_back("palette8.tif", P);
  P = Tiff(9, 7, 8, 4, 2);
  P.ExtraSamples = 1;
  Pictures.emplace_back("rgba8.tif", P);
  P = Tiff(9, 7, 32, 3, 2);
  P.SampleFormat = 3;
  Pictures.emplace_back("rgb-float32.tif", P);

  std::vector<std::pair<std::string, std::string>> Seeds;
  for (const auto& [Name, Picture] : Pictures)
    Seeds.emplace_back(Name, TiffBytes(Scratch, Picture));
  TTiffPicture Strips = Tiff(9, 7, 16, 3, 2);
  Strips.RowsPerStrip = 3;
  Seeds.emplace_back("rgb16-bigendian.tif", TiffBytes(Scratch, Strips, "wb"));
  Seeds.emplace_back("rgb16-bigtiff.tif", TiffBytes(Scratch, Strips, "w8"));
  return Seeds;
}

// Two files as the stack target takes them: a selector byte, then both
// files padded to one length (trailing bytes harm neither format).
std::string StackInput(uint8_t Selector, std::string First, std::string Second) {
  const size_t Length = std::max(First.size(), Second.size());
  First.resize(Length, '\0');
  Second.resize(Length, '\0');
  return std::string(1, static_cast<char>(Selector)) + First + Second;
}

void WriteAll(const TSeeds& Seeds) {
  const TTempDir Scratch;
  const auto Jpegs = JpegSeeds();
  for (const auto& [Name, Bytes] : Jpegs)
    Seeds.Put("jpeg", Name, Bytes);
  const auto Tiffs = TiffSeeds(Scratch);
  for (const auto& [Name, Bytes] : Tiffs)
    Seeds.Put("tiff", Name, Bytes);

  // Raw seeds: a flat DNG, a ramp turned by the camera, and one cut short.
  const auto Dng = [&](const TDngPicture& Picture) {
    const std::string File = Scratch.File("seed.dng");
    WriteDng(File, Picture);
    return ReadBytes(File);
  };
  TDngPicture Turned = TDngPicture::Of(24, 32, [](uint32_t X, uint32_t) {
    const double Level = X / 24.0;
    return std::array<double, 3>{Level, Level, Level};
  });
  Turned.Orientation = 6;
  const std::string Flat = Dng(TDngPicture::Of(24, 24, FlatGrey(0.4)));
  Seeds.Put("raw", "flat.dng", Flat);
  Seeds.Put("raw", "turned.dng", Dng(Turned));
  Seeds.Put("raw", "cut-short.dng", Flat.substr(0, Flat.size() - 100));

  const std::string RgbJpeg = Jpegs[0].second;
  const std::string Rgb16 = Tiffs[0].second;
  const std::string Rgb8 = Tiffs[6].second;
  const std::string TiledJpegSize = TiffBytes(Scratch, [] {
    TTiffPicture P = Tiff(16, 16, 16, 3, 2);
    P.TileWidth = P.TileLength = 16;
    return P;
  }());
  Seeds.Put("stack", "jpg-jpg", StackInput(0, RgbJpeg, Jpeg(16, 16, TJpegKind::Rgb, 50, true)));
  Seeds.Put("stack", "tif-tif", StackInput(3, Rgb16, Rgb8));
  Seeds.Put("stack", "jpg-tif", StackInput(2, RgbJpeg, TiledJpegSize));
  Seeds.Put("stack", "tif-jpg-other-size", StackInput(1, Rgb16, RgbJpeg));
  Seeds.Put("stack", "grey-cmyk", StackInput(0, Jpegs[4].second, Jpegs[6].second));

  Seeds.Put("ini", "crlf",
            "Config\nPath\n/home/user/photos/\n[Config]\r\nPath=/old/\r\n"
            "FilterIndex=2\r\n");
  Seeds.Put("ini", "sections",
            "Config\nFilterIndex\n2\n; comment\n[Other]\nx=1\n\n"
            "[config]\n path = a \n# note\n[Last]\ny=2\n");
  Seeds.Put("ini", "empty", "Config\nPath\nvalue\n");
  Seeds.Put("ini", "no-newline", "Config\nPath\nx\n[Config]\nPath");
  Seeds.Put("ini", "garbage", "Config\nPath\nx\n\x00\xff[Config\n=\n[]\n=v\n");
  Seeds.Put("ini", "odd-names", " Con fig \n Key=1 \n a\rb \n[Con fig]\nKey=old\n");

  Seeds.Put("logrecord", "error",
            "/tmp/Errors.Txt*False*10000000*True*08.12.2026 05:00:00*host\\App.SetIniFile: "
            "(Exception) Out of memory    info");
  Seeds.Put("logrecord", "reset", "Errors.Txt*True*0*False**");
  Seeds.Put("logrecord", "star-in-line", "a%2Ab.Txt*yes*$10*0x1*time*line*with*stars");
  Seeds.Put("logrecord", "short", "file*False");

  Seeds.Put("convert", "instr",
            "\x04\x02"
            "abcabc\nc\nX");
  Seeds.Put("convert", "negative-start",
            "\xfd\x04"
            "abcdef\n\n--");
  Seeds.Put("convert", "number",
            "\x01\x7f"
            "  42abc\n*\n*");
  Seeds.Put("convert", "hex",
            "\x03\x02"
            "-$10\naa\nb");
  Seeds.Put("convert", "fields",
            "\x01\x00"
            "a**b*\n*\n");
  Seeds.Put("convert", "decimal-limit",
            "\x01\x01"
            "9223372036854775807\n7\n8");
  Seeds.Put("convert", "hex-limit",
            "\x01\x01"
            "0xFFFFFFFFFFFFFFFF\nF\nf");
  Seeds.Put("convert", "truth",
            "\x01\x01"
            " wahr \na\nb");
  Seeds.Put("convert", "replace",
            "\x01\x10"
            "aaaa\naa\nb");
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
    return 2;
  }
  try {
    WriteAll(TSeeds{argv[1]});
  } catch (const std::exception& Failure) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", Failure.what());
    return 1;
  }
  return 0;
}
