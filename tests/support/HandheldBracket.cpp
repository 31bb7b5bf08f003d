#include "HandheldBracket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <regex>

namespace {

uint32_t Hash(uint32_t A, uint32_t B, uint32_t C) {
  uint64_t H = (uint64_t{A} * 0x9E3779B97F4A7C15ULL) ^ (uint64_t{B} * 0xC2B2AE3D27D4EB4FULL) ^
               (uint64_t{C} * 0x165667B19E3779F9ULL);
  H ^= H >> 31;
  H *= 0xBF58476D1CE4E5B9ULL;
  H ^= H >> 29;
  return static_cast<uint32_t>(H >> 32);
}

double Smooth(double T) {
  return T * T * (3 - 2 * T);
}

} // namespace

TMove HandheldMove(int Width, int Height, double Degrees, double Dx, double Dy, double Scale,
                   double TiltX, double TiltY) {
  const double A = Degrees * std::numbers::pi / 180;
  const double C = std::cos(A) * Scale;
  const double S = std::sin(A) * Scale;
  const double Cx = (Width - 1) / 2.0;
  const double Cy = (Height - 1) / 2.0;
  // Turned and scaled about the centre, then shifted.
  const TMove Affine{C, -S, Cx - C * Cx + S * Cy + Dx, S, C, Cy - S * Cx - C * Cy + Dy, 0, 0, 1};
  // The tilt about the centre: w = 1 + gx (x - Cx) + gy (y - Cy).
  const double Gx = TiltX / Width;
  const double Gy = TiltY / Height;
  const TMove Tilt{1, 0, 0, 0, 1, 0, Gx, Gy, 1 - Gx * Cx - Gy * Cy};
  TMove Result{};
  for (int R = 0; R < 3; ++R)
    for (int K = 0; K < 3; ++K)
      for (int I = 0; I < 3; ++I)
        Result[static_cast<size_t>(R * 3 + K)] +=
            Tilt[static_cast<size_t>(R * 3 + I)] * Affine[static_cast<size_t>(I * 3 + K)];
  return Result;
}

std::array<double, 2> Moved(const TMove& M, double X, double Y) {
  const double W = M[6] * X + M[7] * Y + M[8];
  return {(M[0] * X + M[1] * Y + M[2]) / W, (M[3] * X + M[4] * Y + M[5]) / W};
}

double CornerDistance(const TMove& A, const TMove& B, int Width, int Height) {
  double Most = 0;
  for (const auto& [X, Y] : {std::array<double, 2>{0, 0},
                             {Width - 1.0, 0},
                             {0, Height - 1.0},
                             {Width - 1.0, Height - 1.0}}) {
    const auto P = Moved(A, X, Y);
    const auto Q = Moved(B, X, Y);
    Most = std::max(Most, std::hypot(P[0] - Q[0], P[1] - Q[1]));
  }
  return Most;
}

THandheldScene::THandheldScene(uint32_t Seed, double Texture) : FSeed(Seed), FTexture(Texture) {}

// Smoothly interpolated random values on a square lattice, -1 .. 1.
double THandheldScene::Noise(double X, double Y, double Spacing, uint32_t Layer) const {
  const double U = X / Spacing + 1000;
  const double V = Y / Spacing + 1000;
  const auto I = static_cast<uint32_t>(std::floor(U));
  const auto J = static_cast<uint32_t>(std::floor(V));
  const double Fu = Smooth(U - std::floor(U));
  const double Fv = Smooth(V - std::floor(V));
  const auto At = [&](uint32_t A, uint32_t B) {
    return Hash(A, B, FSeed * 16 + Layer) / 2147483648.0 - 1;
  };
  const double Top = At(I, J) + (At(I + 1, J) - At(I, J)) * Fu;
  const double Bottom = At(I, J + 1) + (At(I + 1, J + 1) - At(I, J + 1)) * Fu;
  return Top + (Bottom - Top) * Fv;
}

// Linear light of the scene, about 0.2 on average, up to a few times that.
std::array<double, 3> THandheldScene::Light(double X, double Y) const {
  const double Sky = 0.6 + 0.2 * std::sin(X / 400.0 + FSeed) + 0.1 * std::cos(Y / 300.0);
  const double Detail = Noise(X, Y, 40, 0) + 0.6 * Noise(X, Y, 13, 1) + 0.4 * Noise(X, Y, 5, 2);
  const double Luma = 0.2 * Sky * std::exp(1.4 * FTexture * Detail);
  const double Hue = 0.25 * Noise(X, Y, 90, 3);
  return {Luma * (1 + Hue), Luma, Luma * (1 - Hue)};
}

template <class F>
void THandheldScene::Render(int Width, int Height, const TShot& Shot, F&& Store) const {
  const double Gain = std::pow(2.0, Shot.Ev);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const auto P = Moved(Shot.Move, X, Y);
      const auto Rgb = Light(P[0], P[1]);
      for (int C = 0; C < 3; ++C)
        Store(X, Y, C, std::min(1.0, Rgb[static_cast<size_t>(C)] * Gain));
    }
}

TTiffPicture THandheldScene::Tiff16(int Width, int Height, const TShot& Shot) const {
  TTiffPicture Picture;
  Picture.Width = static_cast<uint32_t>(Width);
  Picture.Height = static_cast<uint32_t>(Height);
  Picture.Samples.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3);
  Render(Width, Height, Shot, [&](int X, int Y, int C, double V) {
    Picture.Samples[(static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X)) *
                        3 +
                    static_cast<size_t>(C)] = static_cast<uint32_t>(std::lround(V * 65535));
  });
  return Picture;
}

TJpegPicture THandheldScene::Jpeg(int Width, int Height, const TShot& Shot) const {
  TJpegPicture Picture = TJpegPicture::Solid(Width, Height, TJpegKind::Rgb, {0, 0, 0});
  Render(Width, Height, Shot, [&](int X, int Y, int C, double V) {
    Picture.At(X, Y)[C] = static_cast<uint8_t>(std::lround(255 * std::pow(V, 1 / 2.2)));
  });
  return Picture;
}

std::vector<std::string> WriteBracket(const std::string& Folder, const THandheldScene& Scene,
                                      int Width, int Height, const std::vector<TShot>& Shots,
                                      bool Jpeg) {
  std::vector<std::string> Names;
  for (size_t I = 0; I < Shots.size(); ++I) {
    const std::string Name = Folder + "/shot" + std::to_string(I) + (Jpeg ? ".jpg" : ".tif");
    if (Jpeg)
      WriteJpeg(Name, Scene.Jpeg(Width, Height, Shots[I]), {92});
    else
      WriteTiff(Name, Scene.Tiff16(Width, Height, Shots[I]));
    Names.push_back(Name);
  }
  return Names;
}

TReadReport ReadReport(const std::string& Json) {
  TReadReport Report;
  const std::regex Result(
      R"re(\{"result": \{"width": (\d+), "height": (\d+), "crop": \[(\d+), (\d+), (\d+), (\d+)\]\},)re");
  std::smatch Match;
  EXPECT_TRUE(std::regex_search(Json, Match, Result)) << Json;
  if (Match.empty())
    return Report;
  Report.Width = std::stoi(Match[1]);
  Report.Height = std::stoi(Match[2]);
  for (size_t I = 0; I < 4; ++I)
    Report.Crop[I] = std::stoi(Match[I + 3]);
  const std::string Number = R"(([-+0-9.eE]+))";
  const std::string Row = "\\[" + Number + "," + Number + "," + Number + "\\]";
  const std::regex File("\\{\"name\": \"([^\"]*)\", \"transform\": \\[" + Row + "," + Row + "," +
                        Row + "\\], \"inliers\": (\\d+), \"residual_px\": " + Number + "\\}");
  for (auto It = std::sregex_iterator(Json.begin(), Json.end(), File); It != std::sregex_iterator();
       ++It) {
    Report.Names.push_back((*It)[1]);
    TMove Move{};
    for (size_t K = 0; K < 9; ++K)
      Move[K] = std::stod((*It)[K + 2]);
    Report.Transforms.push_back(Move);
    Report.Inliers.push_back(std::stoi((*It)[11]));
  }
  return Report;
}
