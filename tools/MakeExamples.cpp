// Writes the sample exposures under examples/: one synthetic landscape
// (sky, sun, clouds, two ranges of hills, trees, grass) taken at -1, 0 and
// +1 EV, as a photographer would shoot a bracket for stacking.
//
//   MakeExamples FOLDER
#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Width = 1500;
constexpr int Height = 1000;
constexpr int Quality = 90;

using TColor = std::array<float, 3>; // linear red, green, blue

TColor Mix(const TColor& A, const TColor& B, float T) {
  return {A[0] + (B[0] - A[0]) * T, A[1] + (B[1] - A[1]) * T, A[2] + (B[2] - A[2]) * T};
}

TColor Scaled(const TColor& C, float F) {
  return {C[0] * F, C[1] * F, C[2] * F};
}

float SmoothStep(float Edge0, float Edge1, float X) {
  const float T = std::clamp((X - Edge0) / (Edge1 - Edge0), 0.0f, 1.0f);
  return T * T * (3 - 2 * T);
}

// Deterministic hash noise in [0, 1): the examples come out the same on
// every machine.
float Hash(int X, int Y, int Seed) {
  uint32_t H = static_cast<uint32_t>(X) * 374761393u + static_cast<uint32_t>(Y) * 668265263u +
               static_cast<uint32_t>(Seed) * 2246822519u;
  H = (H ^ (H >> 13)) * 1274126177u;
  return static_cast<float>((H ^ (H >> 16)) & 0xFFFFFF) / 16777216.0f;
}

float ValueNoise(float X, float Y, int Seed) {
  const int X0 = static_cast<int>(std::floor(X)), Y0 = static_cast<int>(std::floor(Y));
  const float Fx = SmoothStep(0, 1, X - X0), Fy = SmoothStep(0, 1, Y - Y0);
  const float Top = Hash(X0, Y0, Seed) + (Hash(X0 + 1, Y0, Seed) - Hash(X0, Y0, Seed)) * Fx;
  const float Bottom =
      Hash(X0, Y0 + 1, Seed) + (Hash(X0 + 1, Y0 + 1, Seed) - Hash(X0, Y0 + 1, Seed)) * Fx;
  return Top + (Bottom - Top) * Fy;
}

// Fractal noise in about [0, 1].
float Fbm(float X, float Y, int Seed, int Octaves) {
  float Sum = 0, Amplitude = 0.5f, Norm = 0;
  for (int I = 0; I < Octaves; ++I) {
    Sum += Amplitude * ValueNoise(X, Y, Seed + I);
    Norm += Amplitude;
    X *= 2.03f;
    Y *= 2.03f;
    Amplitude *= 0.5f;
  }
  return Sum / Norm;
}

constexpr float SunX = 1120, SunY = 240, SunRadius = 38;

TColor Sky(int X, int Y) {
  const float V = static_cast<float>(Y) / Height;
  TColor C = Mix({0.05f, 0.12f, 0.45f}, {0.55f, 0.62f, 0.78f}, std::pow(V / 0.65f, 1.4f));
  const float Distance = std::hypot(X - SunX, Y - SunY);
  const float Glow = 0.9f * std::exp(-Distance / 70) + 0.25f * std::exp(-Distance / 400);
  C = {C[0] + Glow * 1.0f, C[1] + Glow * 0.85f, C[2] + Glow * 0.55f};
  // Clouds: soft, lit from the sun's side.
  const float Cloud =
      SmoothStep(0.52f, 0.75f, Fbm(X / 260.0f, Y / 90.0f, 11, 6)) * SmoothStep(0.62f, 0.2f, V);
  const float Lit = 0.55f + 0.5f * std::exp(-Distance / 500);
  C = Mix(C, {Lit * 1.05f, Lit, Lit * 0.95f}, Cloud * 0.85f);
  if (Distance < SunRadius + 1.5f) // the sun itself: far brighter than any exposure holds
    C = Mix(C, {9.0f, 8.5f, 7.0f}, std::clamp(SunRadius + 1.5f - Distance, 0.0f, 1.0f));
  return C;
}

float FarRidge(int X) {
  return 600 - 70 * std::sin(X / 260.0f + 0.7f) - 35 * std::sin(X / 97.0f) -
         60 * Fbm(X / 180.0f, 0.5f, 23, 5);
}

float NearRidge(int X) {
  return 760 - 110 * std::sin(X / 420.0f + 2.2f) - 30 * std::sin(X / 140.0f + 1.0f) -
         50 * Fbm(X / 120.0f, 3.5f, 41, 5);
}

// Dark round tree crowns standing on the near ridge.
float TreeCover(int X, int Y) {
  float Cover = 0;
  for (int I = 0; I < 14; ++I) {
    const float Cx = 60 + I * 105 + 40 * Hash(I, 1, 7);
    if (Hash(I, 2, 7) < 0.3f)
      continue;
    const float Radius = 16 + 20 * Hash(I, 3, 7);
    const float Cy = NearRidge(static_cast<int>(Cx)) - Radius * 0.9f;
    const float Edge = Radius * (0.85f + 0.3f * Fbm(X / 9.0f, Y / 9.0f, 70 + I, 3));
    Cover = std::max(Cover, SmoothStep(Edge + 1.5f, Edge - 1.5f, std::hypot(X - Cx, Y - Cy)));
  }
  return Cover;
}

TColor Scene(int X, int Y) {
  TColor C = Sky(X, Y);
  const float Far = FarRidge(X);
  if (Y > Far - 1) {
    const float Haze = SmoothStep(Far + 160, Far, static_cast<float>(Y));
    const float Texture = 0.8f + 0.4f * Fbm(X / 40.0f, Y / 25.0f, 31, 4);
    const TColor Hill =
        Mix(Scaled({0.10f, 0.16f, 0.12f}, Texture), {0.35f, 0.42f, 0.55f}, Haze * 0.7f);
    C = Mix(C, Hill, std::clamp(Y - (Far - 1), 0.0f, 1.0f));
  }
  const float Near = NearRidge(X);
  if (Y > Near - 1) {
    // Grass: light from the upper right, shade towards the bottom, tufts.
    const float Shade = 1.0f - 0.55f * SmoothStep(Near, Height, static_cast<float>(Y));
    const float Tufts = 0.65f + 0.7f * Fbm(X / 6.0f, Y / 2.5f, 53, 3);
    const float Patches = 0.7f + 0.6f * Fbm(X / 150.0f, Y / 60.0f, 59, 4);
    const TColor Grass = Scaled({0.16f, 0.24f, 0.05f}, Shade * Tufts * Patches);
    C = Mix(C, Grass, std::clamp(Y - (Near - 1), 0.0f, 1.0f));
  }
  const float Trees = TreeCover(X, Y);
  if (Trees > 0)
    C = Mix(C, Scaled({0.03f, 0.06f, 0.025f}, 0.8f + 0.5f * Fbm(X / 5.0f, Y / 5.0f, 80, 3)), Trees);
  return C;
}

// A camera's rendering of linear light: exposure, a gentle shoulder, the
// sRGB curve, a little sensor noise, and clipping.
uint8_t Develop(float Linear, float Exposure, float Noise) {
  const float Exposed = Linear * Exposure;
  const float Shouldered = Exposed / (1 + 0.15f * Exposed);
  const float Encoded = Shouldered <= 0.0031308f ? 12.92f * Shouldered
                                                 : 1.055f * std::pow(Shouldered, 1 / 2.4f) - 0.055f;
  return static_cast<uint8_t>(std::clamp(std::lround(Encoded * 255 + Noise), 0L, 255L));
}

struct TJpegError {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
};

void JumpOut(j_common_ptr Info) {
  longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1);
}

// libjpeg calls only, in a frame without destructors, so the error exit
// may jump back. False when libjpeg failed.
bool Compress(jpeg_compress_struct& Info, TJpegError& Error, FILE* File,
              const std::vector<uint8_t>& Rgb) {
  if (setjmp(Error.Jump))
    return false;
  jpeg_create_compress(&Info);
  jpeg_stdio_dest(&Info, File);
  Info.image_width = Width;
  Info.image_height = Height;
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Quality, TRUE);
  jpeg_start_compress(&Info, TRUE);
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Row = const_cast<JSAMPROW>(Rgb.data() + size_t{Info.next_scanline} * Width * 3);
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  return true;
}

bool WriteJpeg(const std::string& FileName, const std::vector<uint8_t>& Rgb) {
  std::unique_ptr<FILE, int (*)(FILE*)> File(std::fopen(FileName.c_str(), "wb"), std::fclose);
  if (!File)
    return false;
  jpeg_compress_struct Info{};
  TJpegError Error{};
  Info.err = jpeg_std_error(&Error.Pub);
  Error.Pub.error_exit = JumpOut;
  const bool Done = Compress(Info, Error, File.get(), Rgb);
  jpeg_destroy_compress(&Info);
  return Done && std::fflush(File.get()) == 0 && !std::ferror(File.get());
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: MakeExamples FOLDER\n");
    return 2;
  }
  std::vector<TColor> Light(size_t{Width} * Height);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      Light[static_cast<size_t>(Y) * Width + X] = Scene(X, Y);
  struct TShot {
    const char* Name;
    float Ev;
  };
  const TShot Shots[] = {
      {"hills_1_under.jpg", -1}, {"hills_2_normal.jpg", 0}, {"hills_3_over.jpg", 1}};
  std::vector<uint8_t> Rgb(Light.size() * 3);
  for (const TShot& Shot : Shots) {
    const float Exposure = 1.6f * std::exp2(Shot.Ev);
    for (size_t I = 0; I < Light.size(); ++I) {
      const int X = static_cast<int>(I % Width), Y = static_cast<int>(I / Width);
      for (int C = 0; C < 3; ++C)
        Rgb[I * 3 + C] =
            Develop(Light[I][C], Exposure,
                    1.2f * (Hash(X, Y, 100 + C + 3 * static_cast<int>(Shot.Ev)) - 0.5f));
    }
    const std::string FileName = std::string(argv[1]) + "/" + Shot.Name;
    if (!WriteJpeg(FileName, Rgb)) {
      std::fprintf(stderr, "MakeExamples: cannot write %s\n", FileName.c_str());
      return 1;
    }
    std::printf("%s\n", FileName.c_str());
  }
  return 0;
}
