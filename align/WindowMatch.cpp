#include "WindowMatch.h"

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

constexpr int Steps = 30;
// A window matches when the two agree this well once matched.
constexpr double MinCorrelation = 0.95;

// Bilinear samples at one fractional offset: the weights are the same for
// every pixel of the window.
struct TOffset {
  int X0, Y0;
  float W00, W01, W10, W11;

  TOffset(double X, double Y) {
    X0 = static_cast<int>(std::floor(X));
    Y0 = static_cast<int>(std::floor(Y));
    const auto Fx = static_cast<float>(X - X0);
    const auto Fy = static_cast<float>(Y - Y0);
    W00 = (1 - Fx) * (1 - Fy);
    W01 = Fx * (1 - Fy);
    W10 = (1 - Fx) * Fy;
    W11 = Fx * Fy;
  }
  float At(const cv::Mat& Image, int X, int Y) const {
    const float* Top = Image.ptr<float>(Y + Y0) + X + X0;
    const float* Bottom = Image.ptr<float>(Y + Y0 + 1) + X + X0;
    return W00 * Top[0] + W01 * Top[1] + W10 * Bottom[0] + W11 * Bottom[1];
  }
};

} // namespace

bool MatchShift(const cv::Mat& Model, const cv::Mat& Seen, int Margin, const cv::Mat& Mask,
                cv::Point2d& Shift) {
  cv::Mat Dx, Dy;
  cv::Sobel(Seen, Dx, CV_32F, 1, 0, 3, 1 / 8.0);
  cv::Sobel(Seen, Dy, CV_32F, 0, 1, 3, 1 / 8.0);
  double Gain = 1;
  double Offset = 0;
  Shift = {0, 0};
  for (int Step = 0; Step < Steps; ++Step) {
    const TOffset At(Margin + Shift.x, Margin + Shift.y);
    cv::Matx44d Normal = cv::Matx44d::zeros();
    cv::Vec4d Right(0, 0, 0, 0);
    for (int Y = 0; Y < Model.rows; ++Y) {
      const uint8_t* Use = Mask.ptr<uint8_t>(Y);
      const float* M = Model.ptr<float>(Y);
      for (int X = 0; X < Model.cols; ++X) {
        if (!Use[X])
          continue;
        const double S = At.At(Seen, X, Y);
        const cv::Vec4d J(Gain * At.At(Dx, X, Y), Gain * At.At(Dy, X, Y), S, 1);
        const double R = M[X] - (Gain * S + Offset);
        Normal += J * J.t();
        Right += J * R;
      }
    }
    cv::Vec4d Delta;
    if (!cv::solve(Normal, Right, Delta, cv::DECOMP_CHOLESKY))
      return false;
    Shift += cv::Point2d(Delta[0], Delta[1]);
    Gain += Delta[2];
    Offset += Delta[3];
    if (std::abs(Shift.x) > Margin - 1 || std::abs(Shift.y) > Margin - 1 || Gain <= 0)
      return false;
    if (std::hypot(Delta[0], Delta[1]) < 1e-4)
      break;
  }
  // How well they agree, matched: the masked correlation.
  const TOffset At(Margin + Shift.x, Margin + Shift.y);
  double Sm = 0, Ss = 0, Smm = 0, Sss = 0, Sms = 0, N = 0;
  for (int Y = 0; Y < Model.rows; ++Y)
    for (int X = 0; X < Model.cols; ++X)
      if (Mask.at<uint8_t>(Y, X)) {
        const double M = Model.at<float>(Y, X);
        const double S = At.At(Seen, X, Y);
        Sm += M;
        Ss += S;
        Smm += M * M;
        Sss += S * S;
        Sms += M * S;
        ++N;
      }
  const double Covariance = Sms - Sm * Ss / N;
  const double Vm = Smm - Sm * Sm / N;
  const double Vs = Sss - Ss * Ss / N;
  return Vm > 0 && Vs > 0 && Covariance / std::sqrt(Vm * Vs) >= MinCorrelation;
}
