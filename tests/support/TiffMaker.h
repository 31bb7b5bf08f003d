#pragma once
// Test TIFF files of any layout made through libtiff, and small patches of
// a written file's first directory for headers libtiff would not write.
#include "Plane16.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One image: geometry, sample format and storage of Samples, which hold
// Width x Height x SamplesPerPixel values, pixel by pixel in storage order
// (row 0 is the first stored row, whatever the Orientation).
struct TTiffPicture {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint16_t BitsPerSample = 16; // 1, 8, 16 or 32 (1 only in strips)
  uint16_t SamplesPerPixel = 3;
  uint16_t Photometric = 2;  // RGB
  uint16_t SampleFormat = 1; // 1 unsigned, 3 IEEE float (32 bits: value as float)
  uint16_t Planar = 1;       // 1 interleaved, 2 one plane per sample
  uint32_t RowsPerStrip = 0; // 0: the whole image in one strip
  uint32_t TileWidth = 0;    // both non-zero: tiled
  uint32_t TileLength = 0;
  uint16_t Compression = 1;        // 1, 5 LZW, 8 Deflate, 32773 PackBits, ...
  uint16_t Predictor = 1;          // 2: horizontal differencing (LZW, Deflate)
  uint16_t Orientation = 0;        // 0: no Orientation field
  uint16_t ExtraSamples = 0;       // count of extra samples, marked unspecified
  std::vector<uint16_t> ColorMap;  // palette: 3 x 2^BitsPerSample entries
  std::vector<uint8_t> IccProfile; // tag 34675 when not empty
  std::vector<uint32_t> Samples;

  // A picture of the given geometry with a pattern that differs in every
  // pixel and sample and uses the whole range of BitsPerSample.
  static TTiffPicture Pattern(uint32_t Width, uint32_t Height, uint16_t BitsPerSample = 16,
                              uint16_t SamplesPerPixel = 3, uint32_t Seed = 0);
  uint32_t At(uint32_t X, uint32_t Y, uint16_t Sample) const;
};

// Writes the pictures as consecutive images of one file. Mode is libtiff's
// open mode: "w" (machine order), "wb" (big-endian), "w8" (BigTIFF).
// Throws std::runtime_error when libtiff refuses.
void WriteTiff(const std::string& FileName, const std::vector<TTiffPicture>& Pictures,
               const std::string& Mode = "w");
void WriteTiff(const std::string& FileName, const TTiffPicture& Picture,
               const std::string& Mode = "w");

// Patches of the first directory of a classic TIFF file in place; both
// throw std::runtime_error when the file has no entry for Tag.
// Renumbers the entry to an unknown private tag, so readers no longer see
// the field.
void HideTiffTag(const std::string& FileName, uint16_t Tag);
// Sets value number Index of the entry. A single value becomes a LONG;
// in arrays the entry's own type (SHORT or LONG) is kept.
void PatchTiffEntry(const std::string& FileName, uint16_t Tag, uint32_t Value, uint32_t Index = 0);

// The outcome of reading a file through TTiffInput, failures as Failed and
// Message. The planes hold a placeholder before the samples are read, so
// that empty planes after a failed read are the reader's doing.
struct TTiffLoad {
  uint32_t Width = 0;
  uint32_t Height = 0;
  TPlane16 Red, Green, Blue;
  bool Failed = false;
  std::string Message;

  bool PlanesEmpty() const { return !Red && !Green && !Blue; }
};
// Read as stored and streamed too where the file allows, each way checked
// against the planes: a disagreement fails the load with its own message.
TTiffLoad LoadTiffForTest(const std::string& FileName);
// Runs the parts one after the other, so that their rows come in order.
void RunPartsInTurn(int Parts, const std::function<void(int Part)>& Part);
