#include "TiffPieceSink.h"

#include "VekMemory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace detail {

namespace {

// Uncompressed samples held for one band: enough pieces to keep every
// thread busy, few enough to stay small beside the result.
constexpr int64_t BandBytes = int64_t{8} << 20;

// A file in memory for the library's client procedures: the bytes and
// the position of the next read or write.
struct TMemoryFile {
  std::vector<uint8_t>& Bytes;
  uint64_t Position = 0;
};

TMemoryFile& FileOf(thandle_t Handle) {
  return *static_cast<TMemoryFile*>(Handle);
}

tmsize_t ReadMemory(thandle_t Handle, void* Data, tmsize_t Size) {
  TMemoryFile& File = FileOf(Handle);
  const uint64_t Left = File.Bytes.size() - std::min<uint64_t>(File.Position, File.Bytes.size());
  const uint64_t Count = std::min<uint64_t>(Left, static_cast<uint64_t>(Size));
  if (Count == 0)
    return 0;
  std::memcpy(Data, File.Bytes.data() + File.Position, Count);
  File.Position += Count;
  return static_cast<tmsize_t>(Count);
}

// Pieces are appended; the header and the directory may be written over.
// A failed allocation is a short write, which the library reports.
tmsize_t WriteMemory(thandle_t Handle, void* Data, tmsize_t Size) {
  TMemoryFile& File = FileOf(Handle);
  const auto* From = static_cast<const uint8_t*>(Data);
  const uint64_t Count = static_cast<uint64_t>(Size);
  try {
    if (File.Position == File.Bytes.size())
      File.Bytes.insert(File.Bytes.end(), From, From + Count);
    else {
      if (File.Position + Count > File.Bytes.size())
        File.Bytes.resize(File.Position + Count);
      std::memcpy(File.Bytes.data() + File.Position, From, Count);
    }
  } catch (const std::bad_alloc&) {
    return 0;
  }
  File.Position += Count;
  return Size;
}

toff_t SeekMemory(thandle_t Handle, toff_t Offset, int Whence) {
  TMemoryFile& File = FileOf(Handle);
  if (Whence == SEEK_CUR)
    Offset += File.Position;
  else if (Whence == SEEK_END)
    Offset += File.Bytes.size();
  File.Position = Offset;
  return Offset;
}

int CloseMemory(thandle_t) {
  return 0;
}

toff_t MemorySize(thandle_t Handle) {
  return FileOf(Handle).Bytes.size();
}

int MapNothing(thandle_t, void**, toff_t*) {
  return 0;
}

void UnmapNothing(thandle_t, void*, toff_t) {}

} // namespace

template <class TSample>
TPieceSink<TSample>::TPieceSink(TIFF* Tif, const TTiffResult& Result, TSampleKind Kind,
                                std::function<void(TIFF*)> SetLayout, bool Tiled,
                                int64_t PieceSamples)
    : FTif(Tif), FResult(Result), FKind(Kind), FSetLayout(std::move(SetLayout)), FTiled(Tiled),
      FPieceSamples(PieceSamples) {
  const TCompressThreads& Threads = Result.Threads;
  // Uncompressed pieces need no work beside their writing.
  if (Threads.Count > 1 && Threads.Run && Result.Compression != tcNone) {
    const int64_t PieceBytes = PieceSamples * static_cast<int64_t>(sizeof(TSample));
    FBand = static_cast<uint32_t>(std::max<int64_t>(Threads.Count, BandBytes / PieceBytes));
    FParts.resize(static_cast<size_t>(Threads.Count));
  }
  FPieces = AllocArray<TSample>(PieceSamples * FBand);
  FBytes.reserve(FBand);
}

template <class TSample> TSample* TPieceSink<TSample>::Next() {
  return FPieces.get() + FPieceSamples * static_cast<int64_t>(FBytes.size());
}

template <class TSample>
tmsize_t TPieceSink<TSample>::Encode(TIFF* Tif, uint32_t Number, TSample* Piece,
                                     tmsize_t Bytes) const {
  return FTiled ? TIFFWriteEncodedTile(Tif, Number, Piece, Bytes)
                : TIFFWriteEncodedStrip(Tif, Number, Piece, Bytes);
}

template <class TSample> void TPieceSink<TSample>::Put(tmsize_t Bytes) {
  if (!Parallel()) {
    WriteOrFail([&] { return Encode(FTif, FFirst++, FPieces.get(), Bytes); });
    return;
  }
  FBytes.push_back(Bytes);
  if (FBytes.size() == FBand)
    WriteBand();
}

template <class TSample> void TPieceSink<TSample>::Finish() {
  if (!FBytes.empty())
    WriteBand();
}

template <class TSample>
void TPieceSink<TSample>::EncodePart(TPart& Part, uint32_t First, uint32_t Last) {
  Part.File.clear();
  Part.Pieces.clear();
  Part.Failed = true;
  try {
    Part.Pieces.reserve(Last - First);
    TMemoryFile File{Part.File};
    const TTiffHandle Tif(TIFFClientOpen("piece", "w", &File, ReadMemory, WriteMemory, SeekMemory,
                                         CloseMemory, MemorySize, MapNothing, UnmapNothing));
    if (!Tif)
      return;
    SetPictureFields(Tif.get(), FResult, FKind, FSetLayout);
    for (uint32_t Index = First; Index < Last; ++Index) {
      const uint32_t Number = FFirst + Index;
      if (Encode(Tif.get(), Number, FPieces.get() + FPieceSamples * Index, FBytes[Index]) == -1)
        return;
      Part.Pieces.emplace_back(TIFFGetStrileOffset(Tif.get(), Number),
                               TIFFGetStrileByteCount(Tif.get(), Number));
    }
  } catch (...) {
    return; // raised on the caller's thread by WriteBand
  }
  Part.Failed = false;
}

template <class TSample> void TPieceSink<TSample>::WriteBand() {
  const auto Pieces = static_cast<uint32_t>(FBytes.size());
  const int Parts = static_cast<int>(std::min<size_t>(FParts.size(), Pieces));
  const auto Bound = [&](int Part) {
    return static_cast<uint32_t>(uint64_t{Pieces} * static_cast<uint64_t>(Part) /
                                 static_cast<uint64_t>(Parts));
  };
  FResult.Threads.Run(Parts, [&](int Part) {
    EncodePart(FParts[static_cast<size_t>(Part)], Bound(Part), Bound(Part + 1));
  });
  uint32_t Number = FFirst;
  for (int Part = 0; Part < Parts; ++Part) {
    TPart& Done = FParts[static_cast<size_t>(Part)];
    // Compressing into memory fails only for want of it.
    if (Done.Failed)
      FailTiff(MsgOutOfMemory);
    for (const auto& [Offset, Bytes] : Done.Pieces) {
      uint8_t* Data = Done.File.data() + Offset;
      const auto Size = static_cast<tmsize_t>(Bytes);
      WriteOrFail([&] {
        return FTiled ? TIFFWriteRawTile(FTif, Number++, Data, Size)
                      : TIFFWriteRawStrip(FTif, Number++, Data, Size);
      });
    }
  }
  FFirst += Pieces;
  FBytes.clear();
}

template class TPieceSink<uint16_t>;
template class TPieceSink<float>;

} // namespace detail
