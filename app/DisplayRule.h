#pragma once
// Where a picture of W x H pixels is drawn in an area of CW x CH: scaled
// down with its aspect ratio kept when it does not fit, never enlarged,
// and centred. Plain integers so that it can be tested without a display.
#include <cstdint>

struct TDisplayRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Quotients are truncated; an empty picture or area gives its own size
// centred, which draws nothing.
constexpr TDisplayRect DisplayRect(int W, int H, int CW, int CH) {
  int64_t Width = W;
  int64_t Height = H;
  if (W > 0 && H > 0 && (W > CW || H > CH)) {
    // Integer products keep the truncation exact: cw / (w / h) = cw * h / w.
    auto HeightFor = [W, H](int64_t NewWidth) { return NewWidth * H / W; };
    auto WidthFor = [W, H](int64_t NewHeight) { return NewHeight * W / H; };
    if (W > H) {
      Width = CW;
      Height = HeightFor(CW);
      if (Height > CH) {
        Height = CH;
        Width = WidthFor(CH);
      }
    } else {
      Height = CH;
      Width = WidthFor(CH);
      if (Width > CW) {
        Width = CW;
        Height = HeightFor(CW);
      }
    }
  }
  TDisplayRect Rect;
  Rect.Width = static_cast<int>(Width);
  Rect.Height = static_cast<int>(Height);
  Rect.Left = static_cast<int>((CW - Width) / 2);
  Rect.Top = static_cast<int>((CH - Height) / 2);
  return Rect;
}
