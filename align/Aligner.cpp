#include "Aligner.h"

#include "GreyProxy.h"
#include "ModelFit.h"
#include "WindowMatch.h"

#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Features are found on a proxy no larger than this on its longer side.
constexpr int FeatureSide = 1600;
constexpr int Features = 3000;
// Frames of one bracket differ in scale by a percent or two at most: a
// short pyramid serves them, at a fraction of a full one's cost.
constexpr int FeatureLevels = 3;
// Matches a model needs before it is believed, richest model first.
constexpr int MinMatches[] = {24, 18, 14, 10};
// Windows a refined model needs, richest model first.
constexpr int MinWindows[] = {8, 6, 4, 3};
// Refinement windows: half their side, and how many across and down.
constexpr int Half = 40;
constexpr int Margin = 6;
constexpr int Cells = 12;
constexpr int Rounds = 2;
// Pixels of root-mean-square distance a simpler model may lose to a richer.
constexpr double SimplerSlack = 0.01;

struct TFeatures {
  std::vector<cv::KeyPoint> Points; // in full-size pixels
  cv::Mat Descriptors;
};

// How much the proxy features are found on is reduced.
int FeatureFactor(cv::Size Size) {
  return std::max(1, (std::max(Size.width, Size.height) + FeatureSide - 1) / FeatureSide);
}

// 255 where a Factor x Factor block of Grey holds no blocked or clipped
// pixel, 0 elsewhere; Small blocks across and down.
cv::Mat UsableBlocks(const cv::Mat& Grey, int Factor, cv::Size Small, const TSplit& Split) {
  static_assert(Blocked == 0 && Clipped == 65535);
  cv::Mat Valid(Small, CV_8U);
  Split(Small.height, [&](int, int First, int Last) {
    for (int Y = First; Y < Last; ++Y) {
      uint8_t* Out = Valid.ptr<uint8_t>(Y);
      std::fill(Out, Out + Small.width, uint8_t{255});
      for (int Row = Y * Factor; Row < (Y + 1) * Factor; ++Row) {
        const uint16_t* In = Grey.ptr<uint16_t>(Row);
        for (int X = 0; X < Small.width; ++X, In += Factor) {
          // Blocked (0) and Clipped (65535) are the two values that one
          // less wraps to 65534 or more.
          bool Unusable = Out[X] == 0;
          for (int K = 0; K < Factor; ++K)
            Unusable |= static_cast<uint16_t>(In[K] - 1) >= Clipped - 1;
          Out[X] = Unusable ? 0 : 255;
        }
      }
    }
  });
  return Valid;
}

TFeatures FindFeatures(const cv::Mat& Grey, const TSplit& Split) {
  const int Factor = FeatureFactor(Grey.size());
  cv::Mat Small, Valid;
  if (Factor > 1) {
    cv::resize(Grey, Small, cv::Size(Grey.cols / Factor, Grey.rows / Factor), 0, 0, cv::INTER_AREA);
    Valid = UsableBlocks(Grey, Factor, Small.size(), Split);
  } else {
    Small = Grey;
    Valid = (Grey != Blocked) & (Grey != Clipped);
  }
  // Features near a clipped or blocked area would describe its edge,
  // which moves with the exposure.
  cv::erode(Valid, Valid, cv::Mat::ones(9, 9, CV_8U));
  // Equalised, exposures a few stops apart find the same corners.
  cv::Mat Even;
  Small.convertTo(Even, CV_8U, 1 / 257.0);
  cv::equalizeHist(Even, Even);
  TFeatures Result;
  cv::ORB::create(Features, 1.2F, FeatureLevels)
      ->detectAndCompute(Even, Valid, Result.Points, Result.Descriptors);
  for (cv::KeyPoint& Point : Result.Points)
    Point.pt =
        (Point.pt + cv::Point2f(0.5F, 0.5F)) * static_cast<float>(Factor) - cv::Point2f(0.5F, 0.5F);
  return Result;
}

std::string TooFewMatches(size_t Count) {
  return "zu wenige verlässliche Übereinstimmungen (" + std::to_string(Count) + ")";
}

} // namespace

struct TAligner::TState {
  TSplit Split;
  // The first picture's size, and its grey windows the others are
  // matched to: all the fine fit needs of it.
  cv::Size Size;
  std::vector<cv::Mat> Windows;
  TFeatures Features;
};

namespace {

struct TPairs {
  std::vector<cv::Point2f> From, To;
};

// Each feature's match is found on its own, so the features are shared
// among the threads and the pairs kept in the features' order.
TPairs Match(const TFeatures& Picture, const TFeatures& First, const TSplit& Split) {
  TPairs Pairs;
  if (Picture.Descriptors.empty() || First.Descriptors.rows < 2)
    return Pairs;
  std::vector<std::vector<cv::DMatch>> Found(static_cast<size_t>(Picture.Descriptors.rows));
  Split(Picture.Descriptors.rows, [&](int, int Begin, int End) {
    if (Begin == End)
      return;
    std::vector<std::vector<cv::DMatch>> Part;
    cv::BFMatcher(cv::NORM_HAMMING)
        .knnMatch(Picture.Descriptors.rowRange(Begin, End), First.Descriptors, Part, 2);
    for (auto& Best : Part)
      for (cv::DMatch& One : Best)
        One.queryIdx += Begin;
    std::move(Part.begin(), Part.end(), Found.begin() + Begin);
  });
  for (const auto& Best : Found)
    if (Best.size() == 2 && Best[0].distance < 0.8F * Best[1].distance) {
      Pairs.From.push_back(Picture.Points[static_cast<size_t>(Best[0].queryIdx)].pt);
      Pairs.To.push_back(First.Points[static_cast<size_t>(Best[0].trainIdx)].pt);
    }
  return Pairs;
}

// Window centres on the first picture: a regular grid over the whole of
// it, so that the fit rests on every part the pictures share.
std::vector<cv::Point> WindowCentres(cv::Size Size) {
  std::vector<cv::Point> Centres;
  for (int Row = 0; Row < Cells; ++Row)
    for (int Column = 0; Column < Cells; ++Column) {
      const cv::Point Centre(Half + (Size.width - 2 * Half) * (2 * Column + 1) / (2 * Cells),
                             Half + (Size.height - 2 * Half) * (2 * Row + 1) / (2 * Cells));
      Centres.push_back(Centre);
    }
  return Centres;
}

// Where a window holds light it can be matched by: neither blocked nor
// clipped, nor next to either (the smoothing before matching spreads them).
cv::Mat Usable(const cv::Mat& Window) {
  cv::Mat Result = (Window != Blocked) & (Window != Clipped);
  cv::erode(Result, Result, cv::Mat::ones(9, 9, CV_8U));
  return Result;
}

cv::Rect WindowAt(cv::Point Centre) {
  return {Centre.x - Half, Centre.y - Half, 2 * Half, 2 * Half};
}

// Where Model, the window of the first picture centred at Centre, lies in
// Grey, found to a fraction of a pixel; false when it cannot be told.
bool MatchWindow(const cv::Mat& Model, const cv::Mat& Grey, const cv::Matx33d& ToPicture,
                 cv::Point Centre, cv::Point2f& Found) {
  if (Model.empty())
    return false;
  const cv::Rect Window = WindowAt(Centre);
  // The window's place in the picture, its edge included.
  const cv::Rect Reach(Window.x - Margin, Window.y - Margin, Window.width + 2 * Margin,
                       Window.height + 2 * Margin);
  std::vector<cv::Point2f> Corners{cv::Point2f(Reach.tl()), cv::Point2f(Reach.br()),
                                   cv::Point2f(Reach.x, Reach.br().y),
                                   cv::Point2f(Reach.br().x, Reach.y)};
  cv::perspectiveTransform(Corners, Corners, ToPicture);
  const cv::Rect Around = cv::boundingRect(Corners) + cv::Size(2, 2) - cv::Point(1, 1);
  if ((Around & cv::Rect(0, 0, Grey.cols, Grey.rows)) != Around)
    return false;
  // Seen reaches Margin pixels beyond the window, for the match to move in.
  const cv::Matx33d Place =
      ToPicture * cv::Matx33d(1, 0, Window.x - Margin, 0, 1, Window.y - Margin, 0, 0, 1);
  const cv::Size Wide(Window.width + 2 * Margin, Window.height + 2 * Margin);
  cv::Mat Seen, SeenRaw;
  cv::warpPerspective(Grey, Seen, Place, Wide, cv::INTER_LINEAR | cv::WARP_INVERSE_MAP);
  cv::warpPerspective(Grey, SeenRaw, Place, Wide, cv::INTER_NEAREST | cv::WARP_INVERSE_MAP);
  const cv::Rect Inner(Margin, Margin, Window.width, Window.height);
  const cv::Mat Mask = Usable(Model) & Usable(SeenRaw)(Inner);
  if (cv::countNonZero(Mask) * 2 < static_cast<int>(Mask.total()))
    return false;
  cv::Scalar Mean, Deviation;
  cv::meanStdDev(Model, Mean, Deviation, Mask);
  if (Deviation[0] < 3 * 257)
    return false;
  // Smoothed alike, both are matched on their coarse structure.
  cv::Mat ModelF, SeenF;
  Model.convertTo(ModelF, CV_32F);
  Seen.convertTo(SeenF, CV_32F);
  cv::GaussianBlur(ModelF, ModelF, cv::Size(5, 5), 1);
  cv::GaussianBlur(SeenF, SeenF, cv::Size(5, 5), 1);
  cv::Point2d Shift;
  if (!MatchShift(ModelF, SeenF, Margin, Mask, Shift))
    return false;
  const cv::Point2d Moved = Apply(ToPicture, cv::Point2d(Centre) + Shift);
  Found = cv::Point2f(static_cast<float>(Moved.x), static_cast<float>(Moved.y));
  return true;
}

double Residual(const TFit& Fit, const std::vector<cv::Point2f>& From,
                const std::vector<cv::Point2f>& To) {
  double Sum = 0;
  for (size_t I = 0; I < From.size(); ++I)
    if (Fit.Inlier[I])
      Sum += std::pow(cv::norm(Apply(Fit.Transform, From[I]) - cv::Point2d(To[I])), 2);
  return std::sqrt(Sum / std::max(Fit.Inliers, 1));
}

} // namespace

TAligner::TAligner(TSplit Split) : FState(std::make_unique<TState>()) {
  // The run shares its cores itself: OpenCV's own threads would compete.
  cv::setNumThreads(1);
  FState->Split = std::move(Split);
}

TAligner::~TAligner() = default;

void TAligner::SetReference(const TPictureSamples& First) {
  const cv::Mat Grey = MakeGreyProxy(First, FState->Split);
  FState->Features = FindFeatures(Grey, FState->Split);
  FState->Size = Grey.size();
  FState->Windows.clear();
  // A picture too small for a window has none to match.
  const cv::Rect Whole(cv::Point(0, 0), Grey.size());
  for (const cv::Point Centre : WindowCentres(Grey.size())) {
    const cv::Rect Window = WindowAt(Centre);
    FState->Windows.push_back((Window & Whole) == Window ? Grey(Window).clone() : cv::Mat());
  }
}

TPlacement TAligner::Estimate(const TPictureSamples& Picture) {
  const TState& First = *FState;
  if (First.Features.Points.size() < static_cast<size_t>(MinMatches[3]))
    throw EAlignRefused("zu wenig Struktur im ersten Bild");
  const cv::Mat Grey = MakeGreyProxy(Picture, First.Split);
  const TFeatures Features = FindFeatures(Grey, First.Split);
  if (Features.Points.size() < static_cast<size_t>(MinMatches[3]))
    throw EAlignRefused("zu wenig Struktur im Bild");
  const TPairs Pairs = Match(Features, First.Features, First.Split);
  const cv::Size Size = Grey.size();
  // The coarse fit: the richest model the matches support.
  const int Factor = FeatureFactor(Size);
  TFit Coarse;
  size_t Model = 0;
  std::string Why = TooFewMatches(Pairs.From.size());
  for (; Model < std::size(Models); ++Model) {
    if (!FitModel(Models[Model], Pairs.From, Pairs.To, 2.0 * Factor, Coarse))
      continue;
    if (Coarse.Inliers < MinMatches[Model]) {
      Why = TooFewMatches(static_cast<size_t>(Coarse.Inliers));
      continue;
    }
    Why = Implausible(Coarse.Transform, Size.width, Size.height);
    if (Why.empty())
      break;
  }
  if (Model == std::size(Models))
    throw EAlignRefused(Why);

  // The fine fit: windows of the first picture found in this one where
  // the current fit puts them, the fit made again from where they lie.
  const std::vector<cv::Point> Centres = WindowCentres(First.Size);
  TFit Fine = Coarse;
  std::vector<cv::Point2f> From, To;
  for (int Round = 0; Round < Rounds; ++Round) {
    const cv::Matx33d ToPicture = Fine.Transform.inv();
    std::vector<cv::Point2f> Found(Centres.size());
    std::vector<uint8_t> Ok(Centres.size(), 0);
    First.Split(static_cast<int>(Centres.size()), [&](int, int Begin, int End) {
      for (int I = Begin; I < End; ++I)
        Ok[static_cast<size_t>(I)] =
            MatchWindow(First.Windows[static_cast<size_t>(I)], Grey, ToPicture,
                        Centres[static_cast<size_t>(I)], Found[static_cast<size_t>(I)]);
    });
    From.clear();
    To.clear();
    for (size_t I = 0; I < Centres.size(); ++I)
      if (Ok[I]) {
        From.push_back(Found[I]);
        To.push_back(cv::Point2f(Centres[I]));
      }
    size_t Refined = Model;
    while (Refined < std::size(Models) &&
           !(FitModel(Models[Refined], From, To, 1.0, Fine) &&
             Fine.Inliers >= MinWindows[Refined] &&
             Implausible(Fine.Transform, Size.width, Size.height).empty()))
      ++Refined;
    if (Refined == std::size(Models))
      throw EAlignRefused("Feinausrichtung nicht möglich (" + std::to_string(From.size()) +
                          " Stellen)");
    Model = Refined;
  }

  // A simpler model that fits the windows about as well is believed: it
  // does not bend the picture where no window was matched.
  for (size_t Simpler = std::size(Models) - 1; Simpler > Model; --Simpler) {
    TFit Try;
    if (FitModel(Models[Simpler], From, To, 1.0, Try) && Try.Inliers >= Fine.Inliers &&
        Residual(Try, From, To) <= Residual(Fine, From, To) + SimplerSlack) {
      Fine = Try;
      break;
    }
  }
  TPlacement Placement;
  Placement.Inliers = Fine.Inliers;
  Placement.Residual = Residual(Fine, From, To);
  // Left as read when neither the fit nor the windows themselves move by
  // more than the limit.
  if (CornerMove(Fine.Transform, Size.width, Size.height) <= StillLimit ||
      Residual(TFit{cv::Matx33d::eye(), Fine.Inlier, Fine.Inliers}, From, To) <= StillLimit)
    return Placement;
  Placement.Untouched = false;
  const cv::Matx33d Normal = Fine.Transform * (1 / Fine.Transform(2, 2));
  std::copy(Normal.val, Normal.val + 9, Placement.Transform.begin());
  return Placement;
}
