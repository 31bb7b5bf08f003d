#include "AppEnvironment.h"
#include "Bitmap24.h"
#include "PictureView.h"
#include "Unit2.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace {

// A window laid out as the user would first see it.
template <typename TForm> struct TShownForm {
  TShownForm() {
    TestApplication();
    Form.show();
    Form.layout()->activate();
  }
  TForm Form;
};

TEST(MainWindow, LayoutCaptionsAndBlankLabelAfterStart) {
  TShownForm<TFormMain2> Shown;
  TFormMain2& Form = Shown.Form;
  EXPECT_EQ(Form.windowTitle(), "Velmora");
  EXPECT_EQ(Form.objectName(), "FormMain2");
  EXPECT_EQ(Form.size(), QSize(831, 600));
  EXPECT_EQ(Form.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_FALSE(Form.windowIcon().isNull());

  EXPECT_EQ(Form.Panel1->geometry(), QRect(0, 0, 831, 33));
  EXPECT_EQ(Form.Button1->geometry(), QRect(8, 4, 75, 25));
  EXPECT_EQ(Form.Button1->text(), "Start");
  EXPECT_TRUE(Form.Button1->font().bold());
  EXPECT_EQ(Form.Button1->font().pixelSize(), 16);
  EXPECT_EQ(Form.Info->pos(), QPoint(96, 6));
  EXPECT_TRUE(Form.Info->text().isEmpty());
  EXPECT_EQ(Form.Info->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_EQ(Form.Picture->geometry(), QRect(0, 33, 831, 552));
  EXPECT_EQ(Form.StatusBar1->geometry(), QRect(0, 585, 831, 15));
  EXPECT_TRUE(Form.StatusBar1->currentMessage().isEmpty());
  for (const char* Name : {"Panel1", "Button1", "Info", "Picture", "StatusBar1"}) {
    EXPECT_NE(Form.findChild<QWidget*>(Name), nullptr) << Name;
  }

  // Resizing keeps panel and status bar, the picture takes the rest.
  Form.resize(1000, 700);
  Form.layout()->activate();
  EXPECT_EQ(Form.Panel1->height(), 33);
  EXPECT_EQ(Form.Picture->geometry(), QRect(0, 33, 1000, 652));
  EXPECT_EQ(Form.StatusBar1->geometry(), QRect(0, 685, 1000, 15));
}

TEST(MainWindow, BaseClassCarriesItsOwnCaptionAndSplash) {
  TShownForm<TFormMain> Shown;
  EXPECT_EQ(Shown.Form.windowTitle(), "Vadev Ezuzeva");
  EXPECT_EQ(Shown.Form.Picture->Picture().size(), QSize(760, 507));
  EXPECT_EQ(Shown.Form.Picture->DrawnRect(), QRect(35, 22, 760, 507));
}

TEST(MainWindow, SplashIsDrawnUnscaledAndCentred) {
  TShownForm<TFormMain2> Shown;
  TPictureView& Picture = *Shown.Form.Picture;
  const QImage Splash = Picture.Picture().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(Splash.size(), QSize(760, 430));
  EXPECT_EQ(Picture.DrawnRect(), QRect(35, 61, 760, 430));

  const QImage Drawn = Picture.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(Drawn.size(), QSize(831, 552));
  // Every 7th pixel of the splash lands exactly at offset 35, 61.
  int Mismatches = 0;
  for (int Y = 0; Y < Splash.height(); Y += 7) {
    for (int X = 0; X < Splash.width(); X += 7) {
      Mismatches += Drawn.pixel(35 + X, 61 + Y) != Splash.pixel(X, Y);
    }
  }
  EXPECT_EQ(Mismatches, 0);
  // Around it the window's white.
  const QRgb White = qRgb(255, 255, 255);
  EXPECT_EQ(Drawn.pixel(34, 200), White);
  EXPECT_EQ(Drawn.pixel(795, 200), White);
  EXPECT_EQ(Drawn.pixel(400, 60), White);
  EXPECT_EQ(Drawn.pixel(400, 491), White);
}

TEST(MainWindow, SetInfoSizesTheLabelToItsText) {
  TShownForm<TFormMain2> Shown;
  QLabel& Info = *Shown.Form.Info;
  Shown.Form.SetInfo("Processing IMG_0001.JPG");
  EXPECT_EQ(Info.text(), "Processing IMG_0001.JPG");
  EXPECT_EQ(Info.pos(), QPoint(96, 6));
  EXPECT_EQ(Info.size(), Info.sizeHint());
  const int Long = Info.width();
  EXPECT_GT(Long, 49);

  Shown.Form.SetInfo("READY");
  EXPECT_EQ(Info.size(), Info.sizeHint());
  EXPECT_LT(Info.width(), Long);
  // UTF-8 text arrives as the user reads it.
  Shown.Form.SetInfo("Processing Bäume.jpg");
  EXPECT_EQ(Info.text(), QString::fromUtf8("Processing Bäume.jpg"));
}

TEST(MainWindow, ShowPictureShowsBlueGreenRedBytesAsTheirColours) {
  TShownForm<TFormMain2> Shown;
  // Width 3: rows of 9 bytes padded to 12, so the padding must be skipped.
  TBitmap24 Bitmap;
  Bitmap.SetSize(3, 2);
  for (int Y = 0; Y < 2; ++Y) {
    for (int X = 0; X < 3; ++X) {
      uint8_t* Pixel = Bitmap.Row(Y) + 3 * X;
      Pixel[0] = static_cast<uint8_t>(10 + X);  // blue
      Pixel[1] = static_cast<uint8_t>(100 + Y); // green
      Pixel[2] = 250;                           // red
    }
  }
  Shown.Form.ShowPicture(Bitmap);
  // The control keeps its own copy: the run may reuse its bitmap.
  Bitmap.Row(0)[2] = 0;
  const QImage& Shown0 = Shown.Form.Picture->Picture();
  ASSERT_EQ(Shown0.size(), QSize(3, 2));
  EXPECT_EQ(Shown0.pixelColor(0, 0), QColor(250, 100, 10));
  EXPECT_EQ(Shown0.pixelColor(2, 0), QColor(250, 100, 12));
  EXPECT_EQ(Shown0.pixelColor(1, 1), QColor(250, 101, 11));
  const QImage Drawn = Shown.Form.Picture->grab().toImage();
  EXPECT_EQ(Drawn.pixelColor(414, 275), QColor(250, 100, 10));
  EXPECT_EQ(Drawn.pixelColor(416, 276), QColor(250, 101, 12));
  EXPECT_EQ(Drawn.pixelColor(413, 275), QColor(Qt::white));

  // The next preview of the same size is copied into the picture's own
  // memory; a copy of the picture someone still holds keeps its colours.
  const QImage Held = Shown0;
  Bitmap.Row(1)[3] = 77;
  Shown.Form.ShowPicture(Bitmap);
  EXPECT_EQ(Shown.Form.Picture->Picture().pixelColor(0, 0), QColor(0, 100, 10));
  EXPECT_EQ(Shown.Form.Picture->Picture().pixelColor(1, 1), QColor(250, 101, 77));
  EXPECT_EQ(Held.pixelColor(0, 0), QColor(250, 100, 10));
  EXPECT_EQ(Held.pixelColor(1, 1), QColor(250, 101, 11));
  // Another size gets a picture of its own size.
  Bitmap.SetSize(2, 5);
  Shown.Form.ShowPicture(Bitmap);
  EXPECT_EQ(Shown.Form.Picture->Picture().size(), QSize(2, 5));
}

TEST(MainWindow, LargePreviewIsScaledDownByTheDisplayRule) {
  TShownForm<TFormMain2> Shown;
  TBitmap24 Bitmap;
  Bitmap.SetSize(3000, 2000);
  for (int Y = 0; Y < Bitmap.Height(); ++Y) {
    uint8_t* Row = Bitmap.Row(Y);
    for (int X = 0; X < Bitmap.Width(); ++X) {
      Row[3 * X] = 200;
      Row[3 * X + 1] = 40;
      Row[3 * X + 2] = 20;
    }
  }
  Shown.Form.ShowPicture(Bitmap);
  EXPECT_EQ(Shown.Form.Picture->DrawnRect(), QRect(1, 0, 828, 552));
  const QImage Drawn = Shown.Form.Picture->grab().toImage();
  EXPECT_EQ(Drawn.pixelColor(0, 300), QColor(Qt::white));
  EXPECT_EQ(Drawn.pixelColor(400, 300), QColor(20, 40, 200));
  EXPECT_EQ(Drawn.pixelColor(830, 300), QColor(Qt::white));

  // An empty bitmap leaves a blank picture rather than a stale one.
  Bitmap.Clear();
  Shown.Form.ShowPicture(Bitmap);
  EXPECT_TRUE(Shown.Form.Picture->Picture().isNull());
}

} // namespace
