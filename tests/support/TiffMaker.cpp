#include "TiffMaker.h"

#include "AsSaveTiff16Unit.h"
#include "TempDir.h"
#include "VekExceptions.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <tiffio.h>

namespace {

struct TTiffCloser {
  void operator()(TIFF* Handle) const { TIFFClose(Handle); }
};

void Require(bool Ok, const char* What) {
  if (!Ok)
    throw std::runtime_error(std::string("TiffMaker: ") + What);
}

// The bytes of one stored row part: columns X0 .. X0 + Cols - 1 of row Y
// (positions outside the picture are 0), padded to PadCols pixels; all
// samples per pixel for interleaved data, only sample Plane otherwise.
void AppendRow(std::vector<uint8_t>& Out, const TTiffPicture& P, uint32_t Y, uint32_t X0,
               uint32_t PadCols, int Plane) {
  const uint16_t First = Plane < 0 ? 0 : static_cast<uint16_t>(Plane);
  const uint16_t Count = Plane < 0 ? P.SamplesPerPixel : 1;
  auto Value = [&](uint32_t C, uint16_t S) -> uint32_t {
    const uint32_t X = X0 + C;
    return (X < P.Width && Y < P.Height) ? P.At(X, Y, static_cast<uint16_t>(First + S)) : 0;
  };
  if (P.BitsPerSample == 1) {
    const size_t Bits = size_t{PadCols} * Count;
    const size_t Start = Out.size();
    Out.resize(Start + (Bits + 7) / 8, 0);
    for (size_t I = 0; I < Bits; ++I)
      if (Value(static_cast<uint32_t>(I / Count), static_cast<uint16_t>(I % Count)) & 1)
        Out[Start + I / 8] |= static_cast<uint8_t>(0x80 >> (I % 8));
    return;
  }
  for (uint32_t C = 0; C < PadCols; ++C)
    for (uint16_t S = 0; S < Count; ++S) {
      const uint32_t V = Value(C, S);
      uint8_t Bytes[4];
      if (P.BitsPerSample == 8) {
        Bytes[0] = static_cast<uint8_t>(V);
      } else if (P.BitsPerSample == 16) {
        const auto V16 = static_cast<uint16_t>(V);
        std::memcpy(Bytes, &V16, 2);
      } else if (P.SampleFormat == SAMPLEFORMAT_IEEEFP) {
        const auto F = static_cast<float>(V);
        std::memcpy(Bytes, &F, 4);
      } else {
        std::memcpy(Bytes, &V, 4);
      }
      Out.insert(Out.end(), Bytes, Bytes + P.BitsPerSample / 8);
    }
}

void SetFields(TIFF* T, const TTiffPicture& P) {
  TIFFSetField(T, TIFFTAG_IMAGEWIDTH, P.Width);
  TIFFSetField(T, TIFFTAG_IMAGELENGTH, P.Height);
  TIFFSetField(T, TIFFTAG_BITSPERSAMPLE, P.BitsPerSample);
  TIFFSetField(T, TIFFTAG_SAMPLESPERPIXEL, P.SamplesPerPixel);
  TIFFSetField(T, TIFFTAG_PHOTOMETRIC, P.Photometric);
  TIFFSetField(T, TIFFTAG_PLANARCONFIG, P.Planar);
  TIFFSetField(T, TIFFTAG_COMPRESSION, P.Compression);
  if (P.SampleFormat != SAMPLEFORMAT_UINT)
    TIFFSetField(T, TIFFTAG_SAMPLEFORMAT, P.SampleFormat);
  if (P.Predictor != PREDICTOR_NONE)
    TIFFSetField(T, TIFFTAG_PREDICTOR, P.Predictor);
  if (P.Orientation != 0)
    TIFFSetField(T, TIFFTAG_ORIENTATION, P.Orientation);
  if (P.ExtraSamples > 0) {
    const std::vector<uint16_t> Kinds(P.ExtraSamples, EXTRASAMPLE_UNSPECIFIED);
    TIFFSetField(T, TIFFTAG_EXTRASAMPLES, P.ExtraSamples, Kinds.data());
  }
  if (!P.IccProfile.empty())
    TIFFSetField(T, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(P.IccProfile.size()),
                 P.IccProfile.data());
  if (!P.ColorMap.empty()) {
    const size_t N = P.ColorMap.size() / 3;
    std::vector<uint16_t> Map = P.ColorMap;
    TIFFSetField(T, TIFFTAG_COLORMAP, Map.data(), Map.data() + N, Map.data() + 2 * N);
  }
}

void WriteStrips(TIFF* T, const TTiffPicture& P) {
  const uint32_t Rps = P.RowsPerStrip ? P.RowsPerStrip : std::max<uint32_t>(P.Height, 1);
  Require(TIFFSetField(T, TIFFTAG_ROWSPERSTRIP, Rps) == 1, "RowsPerStrip refused");
  const int Planes = P.Planar == PLANARCONFIG_SEPARATE ? P.SamplesPerPixel : 1;
  const uint32_t PerPlane = (P.Height + Rps - 1) / Rps;
  for (int Plane = 0; Plane < Planes; ++Plane)
    for (uint32_t Strip = 0; Strip < PerPlane; ++Strip) {
      std::vector<uint8_t> Data;
      const uint32_t Y0 = Strip * Rps;
      for (uint32_t Y = Y0; Y < std::min(P.Height, Y0 + Rps); ++Y)
        AppendRow(Data, P, Y, 0, P.Width, Planes == 1 ? -1 : Plane);
      const uint32_t Number = static_cast<uint32_t>(Plane) * PerPlane + Strip;
      Require(TIFFWriteEncodedStrip(T, Number, Data.data(), static_cast<tmsize_t>(Data.size())) >=
                  0,
              "strip write failed");
    }
}

void WriteTiles(TIFF* T, const TTiffPicture& P) {
  Require(TIFFSetField(T, TIFFTAG_TILEWIDTH, P.TileWidth) == 1, "TileWidth refused");
  Require(TIFFSetField(T, TIFFTAG_TILELENGTH, P.TileLength) == 1, "TileLength refused");
  const int Planes = P.Planar == PLANARCONFIG_SEPARATE ? P.SamplesPerPixel : 1;
  for (int Plane = 0; Plane < Planes; ++Plane)
    for (uint32_t Y0 = 0; Y0 < P.Height; Y0 += P.TileLength)
      for (uint32_t X0 = 0; X0 < P.Width; X0 += P.TileWidth) {
        std::vector<uint8_t> Data;
        for (uint32_t R = 0; R < P.TileLength; ++R)
          AppendRow(Data, P, Y0 + R, X0, P.TileWidth, Planes == 1 ? -1 : Plane);
        const uint32_t Number = TIFFComputeTile(T, X0, Y0, 0, static_cast<uint16_t>(Plane));
        Require(TIFFWriteEncodedTile(T, Number, Data.data(), static_cast<tmsize_t>(Data.size())) >=
                    0,
                "tile write failed");
      }
}

// Reading and writing numbers of a classic TIFF file in its byte order.
class TRawTiff {
public:
  explicit TRawTiff(std::string FileName) : FName(std::move(FileName)), FBytes(ReadBytes(FName)) {
    Require(FBytes.size() >= 8 &&
                (FBytes.compare(0, 2, "II") == 0 || FBytes.compare(0, 2, "MM") == 0),
            "not a TIFF file");
    FBigEndian = FBytes[0] == 'M';
    Require(Get(2, 2) == 42, "not a classic TIFF file");
  }
  void Save() const { WriteBytes(FName, FBytes); }

  // Offset of the first directory's entry for Tag.
  size_t Entry(uint16_t Tag) const {
    const size_t Ifd = Get(4, 4);
    const size_t Count = Get(Ifd, 2);
    for (size_t I = 0; I < Count; ++I)
      if (Get(Ifd + 2 + 12 * I, 2) == Tag)
        return Ifd + 2 + 12 * I;
    throw std::runtime_error("TiffMaker: no such directory entry");
  }
  uint32_t Get(size_t At, int Bytes) const {
    Require(At + static_cast<size_t>(Bytes) <= FBytes.size(), "offset outside the file");
    uint32_t V = 0;
    for (int I = 0; I < Bytes; ++I) {
      const auto B =
          static_cast<uint8_t>(FBytes[At + static_cast<size_t>(FBigEndian ? I : Bytes - 1 - I)]);
      V = (V << 8) | B;
    }
    return V;
  }
  void Put(size_t At, int Bytes, uint32_t V) {
    Require(At + static_cast<size_t>(Bytes) <= FBytes.size(), "offset outside the file");
    for (int I = 0; I < Bytes; ++I) {
      const int Shift = 8 * (FBigEndian ? Bytes - 1 - I : I);
      FBytes[At + static_cast<size_t>(I)] = static_cast<char>((V >> Shift) & 0xFF);
    }
  }

private:
  std::string FName;
  std::string FBytes;
  bool FBigEndian = false;
};

} // namespace

TTiffPicture TTiffPicture::Pattern(uint32_t Width, uint32_t Height, uint16_t BitsPerSample,
                                   uint16_t SamplesPerPixel, uint32_t Seed) {
  TTiffPicture P;
  P.Width = Width;
  P.Height = Height;
  P.BitsPerSample = BitsPerSample;
  P.SamplesPerPixel = SamplesPerPixel;
  P.Samples.resize(size_t{Width} * Height * SamplesPerPixel);
  const uint64_t Mask = (uint64_t{1} << BitsPerSample) - 1;
  for (size_t I = 0; I < P.Samples.size(); ++I) {
    uint64_t H = (I + 1) * 0x9E3779B97F4A7C15ull ^ (uint64_t{Seed} * 0xC2B2AE3D27D4EB4Full);
    H ^= H >> 29;
    P.Samples[I] = static_cast<uint32_t>(H & Mask);
  }
  return P;
}

uint32_t TTiffPicture::At(uint32_t X, uint32_t Y, uint16_t Sample) const {
  return Samples[(size_t{Y} * Width + X) * SamplesPerPixel + Sample];
}

void WriteTiff(const std::string& FileName, const std::vector<TTiffPicture>& Pictures,
               const std::string& Mode) {
  std::unique_ptr<TIFF, TTiffCloser> T(TIFFOpen(FileName.c_str(), Mode.c_str()));
  Require(T != nullptr, "cannot create the file");
  for (const TTiffPicture& P : Pictures) {
    Require(P.Samples.size() == size_t{P.Width} * P.Height * P.SamplesPerPixel,
            "sample count does not match the geometry");
    SetFields(T.get(), P);
    if (P.TileWidth && P.TileLength)
      WriteTiles(T.get(), P);
    else
      WriteStrips(T.get(), P);
    Require(TIFFWriteDirectory(T.get()) == 1, "directory write failed");
  }
}

void WriteTiff(const std::string& FileName, const TTiffPicture& Picture, const std::string& Mode) {
  WriteTiff(FileName, std::vector<TTiffPicture>{Picture}, Mode);
}

void HideTiffTag(const std::string& FileName, uint16_t Tag) {
  TRawTiff Raw(FileName);
  const size_t At = Raw.Entry(Tag);
  // A distinct private number per entry, so that hiding several tags does
  // not make duplicates.
  Raw.Put(At, 2, 65000u + static_cast<uint32_t>(At % 500));
  Raw.Save();
}

void PatchTiffEntry(const std::string& FileName, uint16_t Tag, uint32_t Value, uint32_t Index) {
  TRawTiff Raw(FileName);
  const size_t At = Raw.Entry(Tag);
  const uint32_t Type = Raw.Get(At + 2, 2);
  const uint32_t Count = Raw.Get(At + 4, 4);
  Require(Type == TIFF_SHORT || Type == TIFF_LONG, "entry is not SHORT or LONG");
  Require(Index < Count, "index outside the entry");
  if (Count == 1) {
    Raw.Put(At + 2, 2, TIFF_LONG);
    Raw.Put(At + 8, 4, Value);
  } else {
    const int Size = Type == TIFF_SHORT ? 2 : 4;
    Require(Size == 4 || Value <= 0xFFFF, "value does not fit the entry's type");
    const size_t Data =
        size_t{Count} * static_cast<size_t>(Size) <= 4 ? At + 8 : Raw.Get(At + 8, 4);
    Raw.Put(Data + size_t{Index} * static_cast<size_t>(Size), Size, Value);
  }
  Raw.Save();
}

namespace {

// The message of Read's failure, empty when it succeeds.
template <class F> std::string FailureOf(F&& Read) {
  try {
    Read();
  } catch (const Exception& Failure) {
    return Failure.Message();
  }
  return {};
}

// Samples read as stored, red, green and blue interleaved, or the
// message of the read's failure.
struct TStoredRead {
  std::string Message;
  std::vector<uint16_t> Rgb;
};

std::string Disagreement(const std::string& Way, const TStoredRead& Read, const TTiffLoad& L) {
  if (Read.Message != L.Message)
    return Way + ": '" + Read.Message + "'";
  const size_t Count = Read.Message.empty() ? size_t{L.Width} * L.Height : 0;
  for (size_t I = 0; I < Count; ++I)
    if (Read.Rgb.at(3 * I) != L.Red[I] || Read.Rgb.at(3 * I + 1) != L.Green[I] ||
        Read.Rgb.at(3 * I + 2) != L.Blue[I])
      return Way + ": other samples at " + std::to_string(I);
  return {};
}

// A file the reader can take as stored is read that way too, and streamed
// in three parts when it can be: each must fail with the same message or
// give the same samples as the planes. A streamed file fails in its check
// or not at all.
std::string StoredReadDisagrees(const std::string& FileName, const TTiffLoad& L) {
  TTiffInput Input(FileName);
  if (!Input.StoredInterleaved())
    return {};
  TPlane16 Rgb = AllocPlane16(1, 1);
  TStoredRead Block;
  Block.Message = FailureOf([&] { Input.ReadAsStored(Rgb); });
  if (Block.Message.empty() != static_cast<bool>(Rgb))
    return "read as stored: block kept after a failure";
  if (Rgb)
    Block.Rgb.assign(Rgb.get(), Rgb.get() + size_t{L.Width} * L.Height * 3);
  const std::string Result = Disagreement("read as stored", Block, L);
  TTiffInput Again(FileName);
  if (!Result.empty() || !Again.Streamable())
    return Result;
  TStoredRead Streamed;
  Streamed.Message = FailureOf([&] { Again.CheckStrips(); });
  const std::string Late = FailureOf([&] {
    if (Streamed.Message.empty())
      Again.ReadStrips(
          3, RunPartsInTurn, [&](int, uint32_t Y0, uint32_t Rows, const uint16_t* Samples) {
            if (size_t{Y0} * L.Width * 3 != Streamed.Rgb.size())
              throw Exception("rows out of order");
            Streamed.Rgb.insert(Streamed.Rgb.end(), Samples, Samples + size_t{Rows} * L.Width * 3);
          });
  });
  return Late.empty() ? Disagreement("streamed", Streamed, L) : "streamed: '" + Late + "'";
}

} // namespace

void RunPartsInTurn(int Parts, const std::function<void(int Part)>& Part) {
  for (int P = 0; P < Parts; ++P)
    Part(P);
}

TTiffLoad LoadTiffForTest(const std::string& FileName) {
  TTiffLoad L;
  bool Opened = false;
  L.Message = FailureOf([&] {
    TTiffInput Input(FileName);
    Opened = true;
    L.Width = Input.Width();
    L.Height = Input.Height();
    L.Red = AllocPlane16(1, 1);
    L.Green = AllocPlane16(1, 1);
    L.Blue = AllocPlane16(1, 1);
    Input.Read(L.Red, L.Green, L.Blue);
  });
  L.Failed = !L.Message.empty();
  if (Opened) {
    const std::string Disagreement = StoredReadDisagrees(FileName, L);
    if (!Disagreement.empty()) {
      L.Failed = true;
      L.Message = Disagreement;
    }
  }
  return L;
}
