#pragma once
// Writing the result as an RGB TIFF: 16-bit samples, or 32-bit floats for
// programs that take the sums themselves.
#include "PartRunner.h"
#include "PictureMeta.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum TTiffCompression : uint8_t { tcNone, tcLZW, tcDeflate };

// How a result is laid out in its file: the tiles the window writes, or
// strips of whole rows for programs that read no tiled TIFF.
enum TSaveLayout : uint8_t { slTiles, slStrips };

// Fills Cols x Rows pixels of the piece whose top left pixel is (X0, Y0):
// red, green and blue samples interleaved, rows of the piece Stride
// samples apart. The rest of an edge tile is already zero; a strip is a
// piece as wide as the picture.
template <class TSample>
using TPieceSource = std::function<void(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows,
                                        TSample* Piece, size_t Stride)>;
using TTileSource = TPieceSource<uint16_t>;
using TFloatSource = TPieceSource<float>;

// Threads that compress the pieces: with more than one and a runner, a
// band of pieces is compressed Threads parts at once and written in order.
// The file is the same bytes either way.
struct TCompressThreads {
  int Count = 1;
  TPartRunner Run;
};

// What is written: the picture's size, its layout and compression, and
// what travels with it. Without a profile and fields the file holds the
// picture fields alone.
struct TTiffResult {
  uint32_t Width = 0;
  uint32_t Height = 0;
  TSaveLayout Layout = slTiles;
  TTiffCompression Compression = tcNone;
  TPictureMeta Meta;
  TCompressThreads Threads = {};
};

// Write the result into Fd, a new empty file open for reading and
// writing; the descriptor stays the caller's. FileName names the file in
// the messages: "Unable to create output TIFF file '…'", "Out of memory" or
// "Unexpected error", raised as an Exception with the system's cause where
// it gave one (Exception::Cause). Source is called on the caller's thread,
// piece by piece in the file's order. 16-bit samples are written as given;
// float samples with the floating-point predictor when compressed.
void WriteTiff16(int Fd, const std::string& FileName, const TTiffResult& Result,
                 const TTileSource& Source);
void WriteTiffFloat(int Fd, const std::string& FileName, const TTiffResult& Result,
                    const TFloatSource& Source);
