#pragma once
// How far one small window of a picture has moved against the same window
// of another, to a small fraction of a pixel: Gauss-Newton on the masked
// difference, with a gain and an offset between the two so that a change
// of exposure does not pull the match.
#include <opencv2/core.hpp>

// Model: the first picture's window, 32-bit float. Seen: the other's,
// Margin pixels larger on every side, 32-bit float. Mask: the pixels of
// Model that both pictures show reliably. Shift: where Model's pixel x
// lies in Seen, minus x and Margin. False when the match fails.
bool MatchShift(const cv::Mat& Model, const cv::Mat& Seen, int Margin, const cv::Mat& Mask,
                cv::Point2d& Shift);
