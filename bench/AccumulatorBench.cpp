// The accumulator's passes over a 24-megapixel exposure (6000 x 4000), in
// megapixels per second, and the first touch of its fresh planes.
#include "Bitmap24.h"
#include "ExposureAccumulator.h"
#include "Plane16.h"
#include "VekLargeBlock.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <deque>
#include <vector>

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr double Megapixels = Width * static_cast<double>(Height) / 1e6;

// One set of sums, one decoded picture and three 16-bit planes, made once
// and shared by every benchmark.
struct TWorkload {
  TExposureAccumulator Sums;
  TBitmap24 Picture;
  TPlane16 Red, Green, Blue;

  TWorkload() {
    Sums.Allocate(Width, Height);
    Picture.SetSize(Width, Height);
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width * 3; ++X)
        Picture.Row(Y)[X] = static_cast<uint8_t>((X * 7 + Y * 13) & 0xFF);
    Red = AllocPlane16(Width, Height);
    Green = AllocPlane16(Width, Height);
    Blue = AllocPlane16(Width, Height);
    for (int64_t I = 0; I < int64_t{Width} * Height; ++I) {
      Red[I] = static_cast<uint16_t>(I * 31);
      Green[I] = static_cast<uint16_t>(I * 17);
      Blue[I] = static_cast<uint16_t>(I * 5);
    }
    for (int Y = 0; Y < Height; ++Y)
      Sums.AddBgrRow(Y, Picture.Row(Y));
  }
};

TWorkload& Workload() {
  static TWorkload Instance;
  return Instance;
}

void Report(benchmark::State& State) {
  State.counters["MP/s"] =
      benchmark::Counter(Megapixels, benchmark::Counter::kIsIterationInvariantRate);
}

void AddBgrRows(benchmark::State& State) {
  TWorkload& W = Workload();
  for (auto _ : State) {
    for (int Y = 0; Y < Height; ++Y)
      W.Sums.AddBgrRow(Y, W.Picture.Row(Y));
    benchmark::ClobberMemory();
  }
  Report(State);
}

// The addition as the run does it: each row's maximum taken while the
// row is in the cache.
void AddBgrRowsWithMaximum(benchmark::State& State) {
  TWorkload& W = Workload();
  for (auto _ : State) {
    float Maximum = 0;
    for (int Y = 0; Y < Height; ++Y) {
      W.Sums.AddBgrRow(Y, W.Picture.Row(Y));
      Maximum = W.Sums.RowMaximum(Y, Maximum);
    }
    benchmark::DoNotOptimize(Maximum);
    benchmark::ClobberMemory();
  }
  Report(State);
}

void AddPlanes16(benchmark::State& State) {
  TWorkload& W = Workload();
  for (auto _ : State) {
    W.Sums.AddPlanes16(W.Red.get(), W.Green.get(), W.Blue.get());
    benchmark::ClobberMemory();
  }
  Report(State);
}

// Three other pictures, three other sets of planes and the same samples
// interleaved as a TIFF stores them, for the adds of several files in one
// pass.
struct TMoreFiles {
  static constexpr int Count = 3;
  std::deque<TBitmap24> Pictures;
  std::vector<std::array<TPlane16, 3>> Planes;
  std::vector<TPlane16> Interleaved;

  TMoreFiles() {
    const int64_t Pixels = int64_t{Width} * Height;
    for (int F = 0; F < Count; ++F) {
      TBitmap24& Picture = Pictures.emplace_back();
      Picture.SetSize(Width, Height);
      for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width * 3; ++X)
          Picture.Row(Y)[X] = static_cast<uint8_t>((X * 5 + Y * 11 + F * 29) & 0xFF);
      auto& Set = Planes.emplace_back();
      for (int C = 0; C < 3; ++C) {
        Set[static_cast<size_t>(C)] = AllocPlane16(Width, Height);
        for (int64_t I = 0; I < Pixels; ++I)
          Set[static_cast<size_t>(C)][I] = static_cast<uint16_t>(I * (C + 3) + F * 7);
      }
      TPlane16& Rgb = Interleaved.emplace_back(AllocPlane16(3 * Width, Height));
      for (int64_t I = 0; I < 3 * Pixels; ++I)
        Rgb[I] = Set[static_cast<size_t>(I % 3)][I / 3];
    }
  }
};

TMoreFiles& MoreFiles() {
  static TMoreFiles Instance;
  return Instance;
}

// Nanoseconds per pixel and file, for Files files added per iteration.
void ReportPerFile(benchmark::State& State, int Files) {
  State.counters["ns/px/file"] = benchmark::Counter(Megapixels * 1e6 * Files * 1e-9,
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// State.range(0) files added, in one pass when more than one: each row
// gets every file's addition (AddRow(Sums, Y, File)) before the next row,
// as a run adds the files it has already read when no preview is owed.
template <class F> void AddFiles(benchmark::State& State, F&& AddRow) {
  TWorkload& W = Workload();
  MoreFiles();
  const int Files = static_cast<int>(State.range(0));
  for (auto _ : State) {
    for (int Y = 0; Y < Height; ++Y)
      for (int File = 0; File < Files; ++File)
        AddRow(W.Sums, Y, static_cast<size_t>(File));
    benchmark::ClobberMemory();
  }
  ReportPerFile(State, Files);
}

void AddBgrFiles(benchmark::State& State) {
  AddFiles(State, [](TExposureAccumulator& Sums, int Y, size_t File) {
    Sums.AddBgrRow(Y, MoreFiles().Pictures[File].Row(Y));
  });
}

void AddPlanes16Files(benchmark::State& State) {
  AddFiles(State, [](TExposureAccumulator& Sums, int Y, size_t File) {
    const auto& Set = MoreFiles().Planes[File];
    Sums.AddSamples16Row(Y, {{Set[0].get(), Set[1].get(), Set[2].get()}, 1});
  });
}

void AddRgb16Files(benchmark::State& State) {
  AddFiles(State, [](TExposureAccumulator& Sums, int Y, size_t File) {
    const uint16_t* Rgb = MoreFiles().Interleaved[File].get();
    Sums.AddSamples16Row(Y, {{Rgb, Rgb + 1, Rgb + 2}, 3});
  });
}

void UpdateMaximum(benchmark::State& State) {
  TWorkload& W = Workload();
  for (auto _ : State)
    benchmark::DoNotOptimize(W.Sums.UpdateMaximum());
  Report(State);
}

void RenderPreviewRows(benchmark::State& State) {
  TWorkload& W = Workload();
  W.Sums.UpdateMaximum();
  const float Scale = W.Sums.ScaleFor(255);
  for (auto _ : State) {
    for (int Y = 0; Y < Height; ++Y)
      W.Sums.RenderPreviewRow(Y, Scale, W.Picture.Row(Y));
    benchmark::ClobberMemory();
  }
  Report(State);
}

void ExportPlanes16(benchmark::State& State) {
  TWorkload& W = Workload();
  W.Sums.UpdateMaximum();
  const float Scale = W.Sums.ScaleFor(65535);
  for (auto _ : State) {
    W.Sums.ExportPlanes16(Scale, W.Red.get(), W.Green.get(), W.Blue.get());
    benchmark::ClobberMemory();
  }
  Report(State);
}

// The result as the run writes it: tile by tile into one reused tile.
void ExportTiles16(benchmark::State& State) {
  TWorkload& W = Workload();
  W.Sums.UpdateMaximum();
  const float Scale = W.Sums.ScaleFor(65535);
  constexpr int Side = 256;
  std::vector<uint16_t> Tile(size_t{Side} * Side * 3);
  for (auto _ : State) {
    for (int Y0 = 0; Y0 < Height; Y0 += Side)
      for (int X0 = 0; X0 < Width; X0 += Side)
        W.Sums.ExportTile16(Scale, X0, Y0, std::min(Side, Width - X0), std::min(Side, Height - Y0),
                            Tile.data(), size_t{Side} * 3);
    benchmark::ClobberMemory();
  }
  Report(State);
}

// Three fresh 24-megapixel sum planes taken (made present in one call)
// and written once, as the first file of a run pays them.
void FreshPlanes(benchmark::State& State) {
  const int64_t Count = int64_t{Width} * Height;
  for (auto _ : State) {
    for (int Plane = 0; Plane < 3; ++Plane) {
      TLargeArray<float> Block = AllocLargeArray<float>(Count);
      std::fill_n(Block.get(), Count, 1.0f);
      benchmark::DoNotOptimize(Block.get());
      benchmark::ClobberMemory();
    }
  }
  Report(State);
}

} // namespace

BENCHMARK(FreshPlanes)->Unit(benchmark::kMillisecond);
BENCHMARK(AddBgrRows)->Unit(benchmark::kMillisecond);
BENCHMARK(AddBgrRowsWithMaximum)->Unit(benchmark::kMillisecond);
BENCHMARK(AddPlanes16)->Unit(benchmark::kMillisecond);
BENCHMARK(AddBgrFiles)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(AddPlanes16Files)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(AddRgb16Files)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateMaximum)->Unit(benchmark::kMillisecond);
BENCHMARK(RenderPreviewRows)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportPlanes16)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportTiles16)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
