// Pieces compressed on several threads give the file the writer's own
// thread gives, byte for byte.
#include "MetaMaker.h"
#include "PlanePicture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

std::string FileBytes(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// Runs the parts on threads of their own and notes the most it was given.
struct TThreadRunner {
  int MostParts = 0;
  TPartRunner Runner() {
    return [this](int Parts, const std::function<void(int)>& Part) {
      MostParts = std::max(MostParts, Parts);
      std::vector<std::thread> Others;
      for (int Index = 1; Index < Parts; ++Index)
        Others.emplace_back(Part, Index);
      Part(0);
      for (std::thread& Other : Others)
        Other.join();
    };
  }
};

TPictureMeta SomeMeta() {
  TPictureMeta Meta;
  Meta.IccProfile = TestProfile(512, 7);
  Meta.Make = "Maker";
  Meta.DateTimeOriginal = "2026:12:09 10:00:00";
  return Meta;
}

TEST(TiffParallelWriter, SameBytesAsOneThreadForEveryLayoutCompressionAndSample) {
  TTempDir Dir;
  SilenceTiffLibrary();
  // Edge tiles and a short last strip; the float pieces fill two bands.
  {
    const uint32_t Width = 1001;
    const uint32_t Height = 777;
    const TPlanePicture Picture(Width, Height);
    const TTileSource Source16 = Picture.Source();
    const TFloatSource SourceFloat = [&](uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows,
                                         float* Piece, size_t Stride) {
      std::vector<uint16_t> Samples(Stride * Rows);
      Source16(X0, Y0, Cols, Rows, Samples.data(), Stride);
      for (uint32_t R = 0; R < Rows; ++R)
        for (size_t I = 0; I < size_t{Cols} * 3; ++I)
          Piece[R * Stride + I] = Samples[R * Stride + I] / 65535.0F;
    };
    for (const bool Float : {false, true})
      for (const TSaveLayout Layout : {slTiles, slStrips})
        for (const TTiffCompression Compression : {tcNone, tcLZW, tcDeflate})
          for (const bool Meta : {false, true}) {
            TTiffResult Result = Picture.Result(Compression, Layout);
            if (Meta)
              Result.Meta = SomeMeta();
            const auto Save = [&](const std::string& Name) {
              if (Float)
                SaveTiffFloatFile(Dir.File(Name), Result, SourceFloat);
              else
                SaveTiffFile(Dir.File(Name), Result, Source16);
              return FileBytes(Dir.File(Name));
            };
            const std::string One = Save("one.tif");
            for (const int Threads : {1, 2, 4}) {
              SCOPED_TRACE(std::to_string(Width) + (Float ? " float" : " 16-bit") + " layout " +
                           std::to_string(Layout) + " compression " + std::to_string(Compression) +
                           (Meta ? " with fields" : "") + ", " + std::to_string(Threads) +
                           " threads");
              TThreadRunner Runner;
              Result.Threads = {Threads, Runner.Runner()};
              const std::string Many = Save("many.tif");
              EXPECT_TRUE(Many == One);
              // Compressed pieces went through the threads, all of them.
              EXPECT_EQ(Runner.MostParts, Compression == tcNone || Threads == 1 ? 0 : Threads);
            }
            Result.Threads = {};
          }
  }
}

} // namespace
