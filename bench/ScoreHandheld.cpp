// Scores sums of the benchmark's hand-held bracket (HandheldSet.h):
//   ScoreHandheld jpeg|tiff16 WIDTH HEIGHT FOLDER [RESULT.tif X Y]...
// The yardstick is the ideal sum: the three exposures rendered without
// any move and encoded as the files are (8-bit on a gamma scale, or
// 16-bit linear), clipped alike, but without JPEG's losses. A sum is
// scaled to it by least squares over the central 90 % (per side) of the
// area every shot covers, and scored there as PSNR against the ideal
// sum's brightest sample. Prints the score of the files of FOLDER
// (shot0, shot1, shot2) summed as they are, of the same files warped back
// with their true transforms (bicubic) and summed, and of each RESULT, a
// 16-bit RGB TIFF whose top-left pixel lies at (X, Y) of the first shot.
#include "CommonArea.h"
#include "HandheldSet.h"
#include "JpegInput.h"
#include "TiffMaker.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

struct TSetting {
  bool Jpeg = true;
  int Width = 0;
  int Height = 0;
  std::vector<TShot> Shots;
};

// Three planes of floats (red, green, blue), row by row.
struct TSum {
  cv::Mat Planes[3];

  TSum(int Width, int Height) {
    for (cv::Mat& Plane : Planes)
      Plane = cv::Mat::zeros(Height, Width, CV_32F);
  }
};

TSum IdealSum(const TSetting& Set) {
  TSum Sum(Set.Width, Set.Height);
  const THandheldScene Scene = HandheldSetScene();
  for (const TShot& Shot : Set.Shots) {
    const TShot Still{NoMove, Shot.Ev};
    if (Set.Jpeg) {
      TJpegPicture Picture = Scene.Jpeg(Set.Width, Set.Height, Still);
      for (int Y = 0; Y < Set.Height; ++Y)
        for (int X = 0; X < Set.Width; ++X)
          for (int C = 0; C < 3; ++C)
            Sum.Planes[C].at<float>(Y, X) += Picture.At(X, Y)[C];
    } else {
      const TTiffPicture Picture = Scene.Tiff16(Set.Width, Set.Height, Still);
      for (int Y = 0; Y < Set.Height; ++Y)
        for (int X = 0; X < Set.Width; ++X)
          for (int C = 0; C < 3; ++C)
            Sum.Planes[C].at<float>(Y, X) += static_cast<float>(
                Picture.Samples[(static_cast<size_t>(Y) * static_cast<size_t>(Set.Width) +
                                 static_cast<size_t>(X)) *
                                    3 +
                                static_cast<size_t>(C)]);
    }
  }
  return Sum;
}

// A shot's planes as read from its file, red, green, blue.
std::vector<cv::Mat> ReadShot(const TSetting& Set, const std::string& Name) {
  std::vector<cv::Mat> Planes(3);
  if (Set.Jpeg) {
    TJpegImage Image;
    TBitmap24 Bitmap;
    LoadJpegHeader(Image, Name);
    DecodeJpegBgr(Image, Bitmap, nullptr);
    const cv::Mat Bgr(Bitmap.Height(), Bitmap.Width(), CV_8UC3, Bitmap.Row(0),
                      static_cast<size_t>(Bitmap.Stride()));
    cv::Mat Split[3];
    cv::split(Bgr, Split);
    Planes = {Split[2], Split[1], Split[0]};
  } else {
    TTiffLoad Load = LoadTiffForTest(Name);
    if (Load.Failed)
      throw std::runtime_error(Name + ": " + Load.Message);
    const int W = static_cast<int>(Load.Width);
    const int H = static_cast<int>(Load.Height);
    Planes = {cv::Mat(H, W, CV_16U, Load.Red.get()).clone(),
              cv::Mat(H, W, CV_16U, Load.Green.get()).clone(),
              cv::Mat(H, W, CV_16U, Load.Blue.get()).clone()};
  }
  if (Planes[0].cols != Set.Width || Planes[0].rows != Set.Height)
    throw std::runtime_error(Name + ": another size");
  return Planes;
}

// The shots of Folder summed, each warped back with its true transform
// first when Warp is set.
TSum FolderSum(const TSetting& Set, const std::string& Folder, bool Warp) {
  TSum Sum(Set.Width, Set.Height);
  for (size_t I = 0; I < Set.Shots.size(); ++I) {
    const std::string Name = Folder + "/shot" + std::to_string(I) + (Set.Jpeg ? ".jpg" : ".tif");
    const cv::Matx33d Move(Set.Shots[I].Move.data());
    std::vector<cv::Mat> Planes = ReadShot(Set, Name);
    for (int C = 0; C < 3; ++C) {
      cv::Mat& Plane = Planes[static_cast<size_t>(C)];
      if (Warp) {
        cv::Mat Back;
        // The move maps the shot onto the first: target (x, y) takes the
        // shot at the move's inverse.
        cv::warpPerspective(Plane, Back, Move, Plane.size(), cv::INTER_CUBIC, cv::BORDER_REPLICATE);
        Plane = Back;
      }
      cv::Mat Real;
      Plane.convertTo(Real, CV_32F);
      Sum.Planes[C] += Real;
    }
  }
  return Sum;
}

TSum ResultSum(const std::string& Name) {
  TTiffLoad Load = LoadTiffForTest(Name);
  if (Load.Failed)
    throw std::runtime_error(Name + ": " + Load.Message);
  const int W = static_cast<int>(Load.Width);
  const int H = static_cast<int>(Load.Height);
  TSum Sum(W, H);
  const uint16_t* Planes[3] = {Load.Red.get(), Load.Green.get(), Load.Blue.get()};
  for (int C = 0; C < 3; ++C)
    cv::Mat(H, W, CV_16U, const_cast<uint16_t*>(Planes[C])).convertTo(Sum.Planes[C], CV_32F);
  return Sum;
}

// The score of Sum, whose top-left pixel lies at (X, Y) of the first
// shot, over Area of the first shot.
double Score(const TSum& Ideal, const TSum& Sum, int X, int Y, const cv::Rect& Area) {
  const cv::Rect Inside = Area - cv::Point(X, Y);
  if ((Inside & cv::Rect(0, 0, Sum.Planes[0].cols, Sum.Planes[0].rows)) != Inside)
    throw std::runtime_error("the scored area is not inside the result");
  double Rr = 0, Ri = 0, Peak = 0;
  for (int C = 0; C < 3; ++C)
    for (int Row = 0; Row < Area.height; ++Row) {
      const float* I = Ideal.Planes[C].ptr<float>(Area.y + Row) + Area.x;
      const float* R = Sum.Planes[C].ptr<float>(Inside.y + Row) + Inside.x;
      for (int Col = 0; Col < Area.width; ++Col) {
        Rr += double{R[Col]} * R[Col];
        Ri += double{R[Col]} * I[Col];
        Peak = std::max(Peak, double{I[Col]});
      }
    }
  const double Scale = Ri / Rr;
  double Squares = 0;
  for (int C = 0; C < 3; ++C)
    for (int Row = 0; Row < Area.height; ++Row) {
      const float* I = Ideal.Planes[C].ptr<float>(Area.y + Row) + Area.x;
      const float* R = Sum.Planes[C].ptr<float>(Inside.y + Row) + Inside.x;
      for (int Col = 0; Col < Area.width; ++Col)
        Squares += std::pow(Scale * R[Col] - I[Col], 2);
    }
  const double Mean = Squares / (3.0 * Area.area());
  return 10 * std::log10(Peak * Peak / Mean);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 5 || (argc - 5) % 3 != 0) {
    std::fprintf(stderr,
                 "usage: ScoreHandheld jpeg|tiff16 WIDTH HEIGHT FOLDER [RESULT.tif X Y]...\n");
    return 2;
  }
  try {
    TSetting Set;
    Set.Jpeg = std::string(argv[1]) == "jpeg";
    Set.Width = std::atoi(argv[2]);
    Set.Height = std::atoi(argv[3]);
    Set.Shots = HandheldSet(Set.Width, Set.Height);
    std::vector<TTransform> Moves;
    for (const TShot& Shot : Set.Shots)
      Moves.push_back(Shot.Move);
    const TCropRect Common = CommonArea(Set.Width, Set.Height, Moves);
    const cv::Rect Area(Common.X + Common.Width / 20, Common.Y + Common.Height / 20,
                        Common.Width - Common.Width / 10, Common.Height - Common.Height / 10);
    std::printf("common area %d %d %d %d, scored %d %d %d %d\n", Common.X, Common.Y, Common.Width,
                Common.Height, Area.x, Area.y, Area.width, Area.height);
    const TSum Ideal = IdealSum(Set);
    std::printf("files summed as read: %.2f dB\n",
                Score(Ideal, FolderSum(Set, argv[4], false), 0, 0, Area));
    std::printf("files warped back with the true transforms: %.2f dB\n",
                Score(Ideal, FolderSum(Set, argv[4], true), 0, 0, Area));
    for (int Arg = 5; Arg < argc; Arg += 3)
      std::printf("%s: %.2f dB\n", argv[Arg],
                  Score(Ideal, ResultSum(argv[Arg]), std::atoi(argv[Arg + 1]),
                        std::atoi(argv[Arg + 2]), Area));
  } catch (const std::exception& Failure) {
    std::fprintf(stderr, "ScoreHandheld: %s\n", Failure.what());
    return 1;
  }
  return 0;
}
