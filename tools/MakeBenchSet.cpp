// Makes a set of photo-like exposures for the whole-run benchmark:
//   MakeBenchSet jpeg|tiff16 WIDTH HEIGHT COUNT FOLDER
// JPEG files at quality 92 with 4:2:0 chroma, or 16-bit RGB TIFF files in
// strips; exposure i is the same scene at another brightness.

// libjpeg's header needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TFileCloser {
  void operator()(FILE* File) const { std::fclose(File); }
};

uint32_t Hash(uint32_t X, uint32_t Y) {
  uint32_t H = X * 374761393u + Y * 668265263u;
  H = (H ^ (H >> 13)) * 1274126177u;
  return H ^ (H >> 16);
}

// Scene radiance of one pixel in 0..1 per channel: sky, hills, texture.
void Scene(int X, int Y, int Width, int Height, float Rgb[3]) {
  const float U = static_cast<float>(X) / Width;
  const float V = static_cast<float>(Y) / Height;
  const float Ridge = 0.55f + 0.08f * std::sin(U * 9.0f) + 0.04f * std::sin(U * 23.0f + 1.0f);
  const float Grain = static_cast<float>(Hash(X, Y) & 255) / 255.0f - 0.5f;
  if (V < Ridge) {
    const float Sky = V / Ridge;
    Rgb[0] = 0.35f + 0.5f * Sky;
    Rgb[1] = 0.55f + 0.35f * Sky;
    Rgb[2] = 0.95f - 0.2f * Sky;
  } else {
    const float Field = 0.5f + 0.5f * std::sin(U * 140.0f + V * 60.0f) * std::sin(V * 90.0f);
    Rgb[0] = 0.15f + 0.2f * Field;
    Rgb[1] = 0.3f + 0.3f * Field;
    Rgb[2] = 0.08f + 0.1f * Field;
  }
  for (int C = 0; C < 3; ++C)
    Rgb[C] = std::fmin(1.0f, std::fmax(0.0f, Rgb[C] + 0.06f * Grain));
}

void Row(int Y, int Width, int Height, float Gain, float Max, std::vector<float>& Out) {
  float Rgb[3];
  for (int X = 0; X < Width; ++X) {
    Scene(X, Y, Width, Height, Rgb);
    for (int C = 0; C < 3; ++C)
      Out[3 * X + C] = std::fmin(Max, Rgb[C] * Gain * Max);
  }
}

bool WriteJpeg(const std::string& Name, int Width, int Height, float Gain) {
  std::unique_ptr<FILE, TFileCloser> File(std::fopen(Name.c_str(), "wb"));
  if (!File)
    return false;
  jpeg_compress_struct Info{};
  jpeg_error_mgr Errors{};
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  jpeg_stdio_dest(&Info, File.get());
  Info.image_width = Width;
  Info.image_height = Height;
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, 92, TRUE);
  jpeg_start_compress(&Info, TRUE);
  std::vector<float> Values(3 * Width);
  std::vector<JSAMPLE> Bytes(3 * Width);
  for (int Y = 0; Y < Height; ++Y) {
    Row(Y, Width, Height, Gain, 255.0f, Values);
    for (int I = 0; I < 3 * Width; ++I)
      Bytes[I] = static_cast<JSAMPLE>(Values[I]);
    JSAMPROW Rows[1] = {Bytes.data()};
    jpeg_write_scanlines(&Info, Rows, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  return true;
}

bool WriteTiff16(const std::string& Name, int Width, int Height, float Gain) {
  std::unique_ptr<TIFF, void (*)(TIFF*)> Tiff(TIFFOpen(Name.c_str(), "w"), TIFFClose);
  if (!Tiff)
    return false;
  TIFFSetField(Tiff.get(), TIFFTAG_IMAGEWIDTH, Width);
  TIFFSetField(Tiff.get(), TIFFTAG_IMAGELENGTH, Height);
  TIFFSetField(Tiff.get(), TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(Tiff.get(), TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(Tiff.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(Tiff.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(Tiff.get(), TIFFTAG_ROWSPERSTRIP, 16);
  std::vector<float> Values(3 * Width);
  std::vector<uint16_t> Samples(3 * Width);
  for (int Y = 0; Y < Height; ++Y) {
    Row(Y, Width, Height, Gain, 65535.0f, Values);
    for (int I = 0; I < 3 * Width; ++I)
      Samples[I] = static_cast<uint16_t>(Values[I]);
    if (TIFFWriteScanline(Tiff.get(), Samples.data(), Y, 0) < 0)
      return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: MakeBenchSet jpeg|tiff16 WIDTH HEIGHT COUNT FOLDER\n");
    return 2;
  }
  const std::string Kind = argv[1];
  const int Width = std::atoi(argv[2]);
  const int Height = std::atoi(argv[3]);
  const int Count = std::atoi(argv[4]);
  const std::string Folder = argv[5];
  if ((Kind != "jpeg" && Kind != "tiff16") || Width <= 0 || Height <= 0 || Count <= 0) {
    std::fprintf(stderr, "MakeBenchSet: bad arguments\n");
    return 2;
  }
  for (int I = 0; I < Count; ++I) {
    // Gains spread over about two stops around the middle exposure.
    const float Gain = std::pow(2.0f, -1.0f + 2.0f * I / std::max(1, Count - 1));
    char Name[32];
    std::snprintf(Name, sizeof Name, "/exposure%03d.%s", I, Kind == "jpeg" ? "jpg" : "tif");
    const bool Ok = Kind == "jpeg" ? WriteJpeg(Folder + Name, Width, Height, Gain)
                                   : WriteTiff16(Folder + Name, Width, Height, Gain);
    if (!Ok) {
      std::fprintf(stderr, "MakeBenchSet: cannot write %s%s\n", Folder.c_str(), Name);
      return 1;
    }
  }
  return 0;
}
