#include "CommonArea.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct TPoint {
  double X, Y;
};

TPoint Apply(const TTransform& M, double X, double Y) {
  const double W = M[6] * X + M[7] * Y + M[8];
  return {(M[0] * X + M[1] * Y + M[2]) / W, (M[3] * X + M[4] * Y + M[5]) / W};
}

// Row Y of a convex quadrilateral: narrows [Left, Right] to the columns
// inside it.
void Narrow(const std::array<TPoint, 4>& Quad, double Y, double& Left, double& Right) {
  double Area = 0;
  for (size_t I = 0; I < 4; ++I) {
    const TPoint& A = Quad[I];
    const TPoint& B = Quad[(I + 1) % 4];
    Area += A.X * B.Y - B.X * A.Y;
  }
  const double Sign = Area >= 0 ? 1 : -1;
  // A hair of slack: a picture that is not moved keeps its own edges.
  constexpr double Slack = 1e-7;
  for (size_t I = 0; I < 4; ++I) {
    const TPoint& A = Quad[I];
    const TPoint& B = Quad[(I + 1) % 4];
    // Inside: Sign * cross(B - A, P - A) >= 0, linear in P.X.
    const double Slope = -Sign * (B.Y - A.Y);
    const double Offset = Sign * ((B.X - A.X) * (Y - A.Y) + (B.Y - A.Y) * A.X);
    if (std::abs(Slope) < 1e-12) {
      if (Offset < -Slack) {
        Left = 1;
        Right = 0;
      }
    } else if (Slope > 0) {
      Left = std::max(Left, -Offset / Slope - Slack);
    } else {
      Right = std::min(Right, -Offset / Slope + Slack);
    }
  }
}

} // namespace

TCropRect CommonArea(int Width, int Height, const std::vector<TTransform>& Transforms) {
  std::vector<std::array<TPoint, 4>> Quads;
  const double R = Width - 1;
  const double B = Height - 1;
  for (const TTransform& M : Transforms)
    Quads.push_back({Apply(M, 0, 0), Apply(M, R, 0), Apply(M, R, B), Apply(M, 0, B)});
  // The columns inside every picture, row by row.
  std::vector<int> Left(static_cast<size_t>(Height));
  std::vector<int> Right(static_cast<size_t>(Height));
  for (int Y = 0; Y < Height; ++Y) {
    double L = 0;
    double Rt = R;
    for (const auto& Quad : Quads)
      Narrow(Quad, Y, L, Rt);
    Left[static_cast<size_t>(Y)] = static_cast<int>(std::ceil(L));
    Right[static_cast<size_t>(Y)] = static_cast<int>(std::floor(Rt));
  }
  // The intersection is convex: the columns inside all rows from Top to
  // Bottom are those inside both of these two rows.
  TCropRect Best;
  int64_t BestArea = 0;
  for (int Top = 0; Top < Height; ++Top)
    for (int Bottom = Top; Bottom < Height; ++Bottom) {
      const int L = std::max(Left[static_cast<size_t>(Top)], Left[static_cast<size_t>(Bottom)]);
      const int Rt = std::min(Right[static_cast<size_t>(Top)], Right[static_cast<size_t>(Bottom)]);
      const int64_t Area = static_cast<int64_t>(Rt - L + 1) * (Bottom - Top + 1);
      if (Rt >= L && Area > BestArea) {
        BestArea = Area;
        Best = {L, Top, Rt - L + 1, Bottom - Top + 1};
      }
    }
  return Best;
}
