#include "Resample.h"

#include "CubicBgr.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace {

// Bands of fixed height: the work of a band depends on its place alone,
// never on how many threads share the bands.
constexpr int BandRows = 64;

// Calls Body(Y0, Rows) for every band of a picture Height rows high.
template <class F> void ForBands(int Height, const TSplit& Split, F&& Body) {
  Split((Height + BandRows - 1) / BandRows, [&](int, int FirstBand, int LastBand) {
    for (int Band = FirstBand; Band < LastBand; ++Band) {
      const int Y0 = Band * BandRows;
      Body(Y0, std::min(BandRows, Height - Y0));
    }
  });
}

cv::Matx33d Inverse(const TTransform& Transform) {
  return cv::Matx33d(Transform.data()).inv();
}

void Resample(const TTransform& Transform, const cv::Mat& Source, cv::Mat& Target,
              const TSplit& Split) {
  const cv::Matx33d ToSource = Inverse(Transform);
  ForBands(Target.rows, Split, [&](int Y0, int Rows) {
    const cv::Matx33d Shift(1, 0, 0, 0, 1, Y0, 0, 0, 1);
    cv::Mat Part = Target.rowRange(Y0, Y0 + Rows);
    // The edge is repeated: pixels near it still take four neighbours.
    cv::warpPerspective(Source, Part, ToSource * Shift, Part.size(),
                        cv::INTER_CUBIC | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
  });
}

} // namespace

void ResampleBgr(const TTransform& Transform, int Width, int Height, const uint8_t* Source,
                 int64_t SourceStride, uint8_t* Target, int64_t TargetStride, const TSplit& Split) {
  const cv::Matx33d ToSource = Inverse(Transform);
  const TBgrPicture In{Width, Height, Source, SourceStride};
  ForBands(Height, Split, [&](int Y0, int Rows) {
    CubicBgrRows(ToSource.val, In, Target + Y0 * TargetStride, TargetStride, Width, Y0, Rows);
  });
}

void ResamplePlane16(const TTransform& Transform, int Width, int Height, const uint16_t* Source,
                     uint16_t* Target, const TSplit& Split) {
  const cv::Mat In(Height, Width, CV_16UC1, const_cast<uint16_t*>(Source));
  cv::Mat Out(Height, Width, CV_16UC1, Target);
  Resample(Transform, In, Out, Split);
}
