#pragma once
// The pieces (tiles or strips) of a result on their way into its file.
// Compressed by the library on the writing thread; or, with several
// threads and compression, a band of pieces is compressed at once, each
// thread into a file of its own in memory with the result's fields, and
// the compressed bytes are then written into the result in the file's
// order. The library compresses every piece afresh, so both ways give the
// same bytes.
#include "TiffWriterFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace detail {

template <class TSample> class TPieceSink {
public:
  // Tif: the result's file, its fields set from Result, Kind and
  // SetLayout. Tiled: tiles, else strips. PieceSamples: samples of the
  // largest piece.
  TPieceSink(TIFF* Tif, const TTiffResult& Result, TSampleKind Kind,
             std::function<void(TIFF*)> SetLayout, bool Tiled, int64_t PieceSamples);
  TPieceSink(const TPieceSink&) = delete;
  TPieceSink& operator=(const TPieceSink&) = delete;

  // The buffer for the next piece, PieceSamples long; it may still hold
  // an earlier piece.
  TSample* Next();
  // The piece in the buffer Next gave is complete, Bytes long: written
  // now, or with its band.
  void Put(tmsize_t Bytes);
  // Writes the pieces still held.
  void Finish();

private:
  // One thread's share of a band: its file in memory and where each of
  // its pieces lies in it (offset, bytes).
  struct TPart {
    std::vector<uint8_t> File;
    std::vector<std::pair<uint64_t, uint64_t>> Pieces;
    bool Failed = false;
  };

  bool Parallel() const { return !FParts.empty(); }
  tmsize_t Encode(TIFF* Tif, uint32_t Number, TSample* Piece, tmsize_t Bytes) const;
  void EncodePart(TPart& Part, uint32_t First, uint32_t Last);
  void WriteBand();

  TIFF* const FTif;
  const TTiffResult& FResult;
  const TSampleKind FKind;
  const std::function<void(TIFF*)> FSetLayout;
  const bool FTiled;
  const int64_t FPieceSamples;
  // Pieces held at once: one, or a band.
  uint32_t FBand = 1;
  std::unique_ptr<TSample[]> FPieces;
  // Bytes of each piece held, and the number of the first.
  std::vector<tmsize_t> FBytes;
  uint32_t FFirst = 0;
  std::vector<TPart> FParts;
};

} // namespace detail
