#include "Screenshot.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

void ScheduleScreenshot(QWidget& Window) {
  const QString Target = qEnvironmentVariable("VELMORA_SCREENSHOT");
  if (Target.isEmpty()) {
    return;
  }
  // Time for the window system to map and paint the window first.
  QTimer::singleShot(800, &Window, [Window = QPointer<QWidget>(&Window), Target] {
    if (Window && !Window->grab().save(Target, "PNG")) {
      std::fprintf(stderr, "velmora: cannot write %s\n", qPrintable(Target));
      QCoreApplication::exit(1);
      return;
    }
    QCoreApplication::quit();
  });
}
