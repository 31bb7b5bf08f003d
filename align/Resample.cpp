#include "Resample.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

// Bands of fixed height: the work of a band depends on its place alone,
// never on how many threads share the bands.
constexpr int BandRows = 64;

cv::Matx33d Inverse(const TTransform& Transform) {
  return cv::Matx33d(Transform.data()).inv();
}

void Resample(const TTransform& Transform, const cv::Mat& Source, cv::Mat& Target,
              const TSplit& Split) {
  const cv::Matx33d ToSource = Inverse(Transform);
  const int Bands = (Target.rows + BandRows - 1) / BandRows;
  Split(Bands, [&](int, int FirstBand, int LastBand) {
    for (int Band = FirstBand; Band < LastBand; ++Band) {
      const int Y0 = Band * BandRows;
      const int Rows = std::min(BandRows, Target.rows - Y0);
      const cv::Matx33d Shift(1, 0, 0, 0, 1, Y0, 0, 0, 1);
      cv::Mat Part = Target.rowRange(Y0, Y0 + Rows);
      // The edge is repeated: pixels near it still take four neighbours.
      cv::warpPerspective(Source, Part, ToSource * Shift, Part.size(),
                          cv::INTER_CUBIC | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
    }
  });
}

} // namespace

void ResampleBgr(const TTransform& Transform, int Width, int Height, const uint8_t* Source,
                 int64_t SourceStride, uint8_t* Target, int64_t TargetStride, const TSplit& Split) {
  const cv::Mat In(Height, Width, CV_8UC3, const_cast<uint8_t*>(Source),
                   static_cast<size_t>(SourceStride));
  cv::Mat Out(Height, Width, CV_8UC3, Target, static_cast<size_t>(TargetStride));
  Resample(Transform, In, Out, Split);
}

void ResamplePlane16(const TTransform& Transform, int Width, int Height, const uint16_t* Source,
                     uint16_t* Target, const TSplit& Split) {
  const cv::Mat In(Height, Width, CV_16UC1, const_cast<uint16_t*>(Source));
  cv::Mat Out(Height, Width, CV_16UC1, Target);
  Resample(Transform, In, Out, Split);
}
