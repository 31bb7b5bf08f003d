#include "ModelFit.h"

#include <opencv2/calib3d.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int Iterations = 2000;
constexpr double Confidence = 0.995;

size_t MinimalPairs(TModel Model) {
  switch (Model) {
  case TModel::Homography:
    return 4;
  case TModel::Affine:
    return 3;
  case TModel::Similarity:
    return 2;
  case TModel::Shift:
    break;
  }
  return 1;
}

cv::Matx33d FromAffine(const cv::Mat& Affine) {
  cv::Matx33d Result = cv::Matx33d::eye();
  for (int R = 0; R < 2; ++R)
    for (int C = 0; C < 3; ++C)
      Result(R, C) = Affine.at<double>(R, C);
  return Result;
}

// The median shift, then the mean shift of the pairs near it.
bool FitShift(const std::vector<cv::Point2f>& From, const std::vector<cv::Point2f>& To,
              double Threshold, TFit& Fit) {
  std::vector<double> Dx, Dy;
  for (size_t I = 0; I < From.size(); ++I) {
    Dx.push_back(To[I].x - From[I].x);
    Dy.push_back(To[I].y - From[I].y);
  }
  const auto Median = [](std::vector<double> Values) {
    std::nth_element(Values.begin(), Values.begin() + static_cast<long>(Values.size() / 2),
                     Values.end());
    return Values[Values.size() / 2];
  };
  const double Mx = Median(Dx);
  const double My = Median(Dy);
  double Sx = 0, Sy = 0;
  Fit.Inlier.assign(From.size(), 0);
  Fit.Inliers = 0;
  for (size_t I = 0; I < From.size(); ++I)
    if (std::hypot(Dx[I] - Mx, Dy[I] - My) <= Threshold) {
      Fit.Inlier[I] = 1;
      ++Fit.Inliers;
      Sx += Dx[I];
      Sy += Dy[I];
    }
  Fit.Transform = cv::Matx33d(1, 0, Sx / Fit.Inliers, 0, 1, Sy / Fit.Inliers, 0, 0, 1);
  return true;
}

} // namespace

cv::Point2d Apply(const cv::Matx33d& M, cv::Point2d P) {
  const double W = M(2, 0) * P.x + M(2, 1) * P.y + M(2, 2);
  return {(M(0, 0) * P.x + M(0, 1) * P.y + M(0, 2)) / W,
          (M(1, 0) * P.x + M(1, 1) * P.y + M(1, 2)) / W};
}

bool FitModel(TModel Model, const std::vector<cv::Point2f>& From,
              const std::vector<cv::Point2f>& To, double Threshold, TFit& Fit) {
  if (From.size() < MinimalPairs(Model))
    return false;
  if (Model == TModel::Shift)
    return FitShift(From, To, Threshold, Fit);
  cv::Mat Mask;
  cv::Mat Found;
  if (Model == TModel::Homography) {
    Found = cv::findHomography(From, To, cv::RANSAC, Threshold, Mask, Iterations, Confidence);
    if (Found.empty())
      return false;
    Fit.Transform = cv::Matx33d(Found);
  } else {
    Found =
        Model == TModel::Affine
            ? cv::estimateAffine2D(From, To, Mask, cv::RANSAC, Threshold, Iterations, Confidence)
            : cv::estimateAffinePartial2D(From, To, Mask, cv::RANSAC, Threshold, Iterations,
                                          Confidence);
    if (Found.empty())
      return false;
    Fit.Transform = FromAffine(Found);
  }
  Fit.Inlier.assign(Mask.begin<uint8_t>(), Mask.end<uint8_t>());
  Fit.Inliers = cv::countNonZero(Mask);
  return Fit.Inliers >= static_cast<int>(MinimalPairs(Model));
}

double CornerMove(const cv::Matx33d& Transform, int Width, int Height) {
  double Most = 0;
  for (const cv::Point2d Corner : {cv::Point2d(0, 0), cv::Point2d(Width - 1, 0),
                                   cv::Point2d(Width - 1, Height - 1), cv::Point2d(0, Height - 1)})
    Most = std::max(Most, cv::norm(Apply(Transform, Corner) - Corner));
  return Most;
}

std::string Implausible(const cv::Matx33d& M, int Width, int Height) {
  const double Diagonal = std::hypot(Width, Height);
  // A hand-held camera tilts the picture by a few percent at most.
  if (std::abs(M(2, 0)) * Width + std::abs(M(2, 1)) * Height > 0.1)
    return "zu starke Verzerrung";
  const std::array<cv::Point2d, 4> Corners{cv::Point2d(0, 0), cv::Point2d(Width - 1, 0),
                                           cv::Point2d(Width - 1, Height - 1),
                                           cv::Point2d(0, Height - 1)};
  std::array<cv::Point2d, 4> Moved;
  for (size_t I = 0; I < 4; ++I)
    Moved[I] = Apply(M, Corners[I]);
  double Area = 0;
  for (size_t I = 0; I < 4; ++I) {
    const cv::Point2d A = Moved[I], B = Moved[(I + 1) % 4], C = Moved[(I + 2) % 4];
    if ((B - A).cross(C - B) <= 0)
      return "verdrehtes Bild";
    Area += A.cross(B);
  }
  const double Scale = std::sqrt(Area / 2 / (static_cast<double>(Width - 1) * (Height - 1)));
  if (Scale < 0.8 || Scale > 1.25)
    return "Maßstab " + std::to_string(Scale);
  const double Turn = std::atan2(M(1, 0) - M(0, 1), M(0, 0) + M(1, 1)) * 180 / std::numbers::pi;
  if (std::abs(Turn) > 10)
    return "Drehung um " + std::to_string(Turn) + " Grad";
  if (CornerMove(M, Width, Height) > 0.25 * Diagonal)
    return "zu große Verschiebung";
  return "";
}
