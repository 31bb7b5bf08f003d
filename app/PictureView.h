#pragma once
// The picture control: holds its own copy of one image (the splash at
// start, later each preview) and draws it by the display rule.
#include <QImage>
#include <QWidget>

class TPictureView : public QWidget {
  Q_OBJECT

public:
  explicit TPictureView(QWidget* Parent = nullptr);

  void SetPicture(const QImage& Picture);
  // Hands the picture over and holds none, so that its memory can be
  // filled again without a copy.
  QImage TakePicture();
  const QImage& Picture() const { return FPicture; }
  // Where the picture lands in the control's current size.
  QRect DrawnRect() const;

protected:
  void paintEvent(QPaintEvent* Event) override;

private:
  QImage FPicture;
};
