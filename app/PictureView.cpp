#include "PictureView.h"

#include "DisplayRule.h"

#include <QPainter>

#include <utility>

TPictureView::TPictureView(QWidget* Parent) : QWidget(Parent) {
  // Only the drawn rectangle changes between paints; the rest is the
  // window's white, painted by Qt before paintEvent.
  setAutoFillBackground(true);
}

void TPictureView::SetPicture(const QImage& Picture) {
  FPicture = Picture;
  update();
}

QImage TPictureView::TakePicture() {
  return std::exchange(FPicture, QImage());
}

QRect TPictureView::DrawnRect() const {
  const TDisplayRect Rect = DisplayRect(FPicture.width(), FPicture.height(), width(), height());
  return QRect(Rect.Left, Rect.Top, Rect.Width, Rect.Height);
}

void TPictureView::paintEvent(QPaintEvent*) {
  const QRect Target = DrawnRect();
  if (FPicture.isNull() || Target.isEmpty()) {
    return;
  }
  QPainter Painter(this);
  // A scaled-down preview should not alias; unscaled pictures are copied.
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, Target.size() != FPicture.size());
  Painter.drawImage(Target, FPicture);
}
