// The result's write alone, as a run ends: a 16-bit TIFF read into planes,
// then written and synced by the durable replace with the given layout,
// compression and sample, its pieces compressed on THREADS threads of one
// run pool (1: on the writing thread).
//   WriteBench IN.tif OUT.tif none|lzw|deflate tiles|strips 16|float THREADS
#include "AsSaveTiff16Unit.h"
#include "Plane16.h"
#include "RunPool.h"
#include "SafeSave.h"
#include "VekExceptions.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct TPlanes {
  uint32_t Width = 0;
  TPlane16 Red, Green, Blue;

  // Calls Put(Out, Value) for each sample of the piece, red, green, blue.
  template <class TSample, class F>
  void Fill(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, TSample* Piece, size_t Stride,
            F&& Put) const {
    for (uint32_t R = 0; R < Rows; ++R) {
      TSample* Out = Piece + R * Stride;
      const int64_t First = (int64_t{Y0} + R) * Width + X0;
      for (int64_t I = First; I < First + Cols; ++I) {
        Put(*Out++, Red[I]);
        Put(*Out++, Green[I]);
        Put(*Out++, Blue[I]);
      }
    }
  }
};

int Usage() {
  std::fputs("usage: WriteBench IN.tif OUT.tif none|lzw|deflate tiles|strips 16|float THREADS\n",
             stderr);
  return 2;
}

} // namespace

int main(int Argc, char** Argv) {
  if (Argc != 7)
    return Usage();
  const std::string Compression = Argv[3];
  const std::string Layout = Argv[4];
  const bool Float = std::string(Argv[5]) == "float";
  const int Threads = std::atoi(Argv[6]);
  if (Threads < 1)
    return Usage();
  SilenceTiffLibrary();
  try {
    TTiffInput Input(Argv[1]);
    TPlanes Planes;
    Planes.Width = Input.Width();
    Input.Read(Planes.Red, Planes.Green, Planes.Blue);
    TTiffResult Result{Input.Width(),
                       Input.Height(),
                       Layout == "strips" ? slStrips : slTiles,
                       Compression == "lzw"       ? tcLZW
                       : Compression == "deflate" ? tcDeflate
                                                  : tcNone,
                       {}};
    TRunPool Pool(Threads);
    Result.Threads = {Pool.Threads(), RunParts};
    if (Float)
      SaveTiffFloatReplacing(
          Argv[2], Result,
          [&](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows, float* Piece, size_t Stride) {
            Planes.Fill(X0, Y0, Cols, Rows, Piece, Stride,
                        [](float& Out, uint16_t In) { Out = In / 65535.0F; });
          });
    else
      SaveTiff16Replacing(Argv[2], Result,
                          [&](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows,
                              uint16_t* Piece, size_t Stride) {
                            Planes.Fill(X0, Y0, Cols, Rows, Piece, Stride,
                                        [](uint16_t& Out, uint16_t In) { Out = In; });
                          });
  } catch (const Exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    return 1;
  }
  return 0;
}
