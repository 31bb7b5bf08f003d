#include "QtPlatform.h"
#include "AppEnvironment.h"
#include "CursorHotSpots.h"
#include "VekExceptions.h"

#include <QGuiApplication>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

const QCursor* Override() {
  return QGuiApplication::overrideCursor();
}

TEST(QtPlatform, LoadsEveryCursorWithItsHotSpot) {
  TQtPlatform Qt(TestApplication());
  int Id = 6900;
  for (const TCursorHotSpot& Spot : CursorHotSpots) {
    Qt.LoadCursor(Id, std::string(Spot.Name));
    const QCursor* Loaded = Qt.LoadedCursor(Id);
    ASSERT_NE(Loaded, nullptr) << Spot.Name;
    EXPECT_EQ(Loaded->pixmap().size(), QSize(CursorImageSize, CursorImageSize)) << Spot.Name;
    EXPECT_EQ(Loaded->hotSpot(), QPoint(Spot.X, Spot.Y)) << Spot.Name;
    // The hot spot points at the drawing, not into empty space nearby.
    const QImage Image = Loaded->pixmap().toImage();
    int Opaque = 0;
    for (int Dy = -2; Dy <= 2; ++Dy) {
      for (int Dx = -2; Dx <= 2; ++Dx) {
        Opaque +=
            qAlpha(Image.pixel(std::clamp(Spot.X + Dx, 0, 31), std::clamp(Spot.Y + Dy, 0, 31))) > 0;
      }
    }
    EXPECT_GT(Opaque, 0) << Spot.Name;
    ++Id;
  }
  EXPECT_THROW(Qt.LoadCursor(7000, "CR_NOSUCHCURSOR"), Exception);
  EXPECT_EQ(Qt.LoadedCursor(7000), nullptr);
}

TEST(QtPlatform, BusyCursorIsBalanced) {
  ASSERT_EQ(Override(), nullptr);
  {
    TQtPlatform Qt(TestApplication());
    Qt.LoadCursor(6910, "CR_CROSSHAIR");
    EXPECT_EQ(Qt.Cursor(), crDefault);

    Qt.SetCursor(crHourGlass);
    ASSERT_NE(Override(), nullptr);
    EXPECT_EQ(Override()->shape(), Qt::WaitCursor);
    EXPECT_EQ(Qt.Cursor(), crHourGlass);
    // Asking twice for the busy cursor still needs only one restore.
    Qt.SetCursor(crHourGlass);
    Qt.SetCursor(crDefault);
    EXPECT_EQ(Override(), nullptr);

    Qt.SetCursor(6910);
    ASSERT_NE(Override(), nullptr);
    EXPECT_EQ(Override()->hotSpot(), QPoint(16, 16));
    Qt.SetCursor(crHourGlass);
    EXPECT_EQ(Override()->shape(), Qt::WaitCursor);
    // A run ending by an exception leaves the platform busy; its end
    // must not leave the cursor behind.
  }
  EXPECT_EQ(Override(), nullptr);
}

TEST(QtPlatform, TitleIsTheApplicationsDisplayName) {
  TQtPlatform Qt(TestApplication());
  Qt.SetTitle("Velmora");
  EXPECT_EQ(Qt.Title(), "Velmora");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Velmora");
  EXPECT_FALSE(Qt.Terminating());
}

} // namespace
