#pragma once
// Transforms fitted to point pairs with outliers rejected, from the
// richest model to the simplest, and the check that a transform is one a
// hand-held camera can have made.
#include <opencv2/core.hpp>

#include <string>
#include <vector>

enum class TModel { Homography, Affine, Similarity, Shift };

inline constexpr TModel Models[] = {TModel::Homography, TModel::Affine, TModel::Similarity,
                                    TModel::Shift};

struct TFit {
  cv::Matx33d Transform = cv::Matx33d::eye();
  std::vector<uint8_t> Inlier;
  int Inliers = 0;
};

// Model fitted to map From onto To, pairs farther than Threshold pixels
// from it rejected; false when too few pairs are left for the model.
bool FitModel(TModel Model, const std::vector<cv::Point2f>& From,
              const std::vector<cv::Point2f>& To, double Threshold, TFit& Fit);

// Why a transform of a Width x Height picture is implausible; empty when
// it is plausible.
std::string Implausible(const cv::Matx33d& Transform, int Width, int Height);

// How far the transform moves the picture's corners, at most.
double CornerMove(const cv::Matx33d& Transform, int Width, int Height);

cv::Point2d Apply(const cv::Matx33d& Transform, cv::Point2d Point);
