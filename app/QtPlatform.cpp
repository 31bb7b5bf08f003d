#include "QtPlatform.h"

#include "CursorHotSpots.h"
#include "VekExceptions.h"
#include "VelmoraApplication.h"

#include <QMessageBox>
#include <QPixmap>
#include <QThread>

namespace {

bool OnGuiThread() {
  return QThread::currentThread() == qApp->thread();
}

// Widgets live on the user-interface thread only; a request from another
// thread (the log server's own failures) is queued there without waiting,
// since that thread may be waited for by the user-interface thread.
template <typename F> void OnUserInterface(F Call) {
  if (OnGuiThread()) {
    Call();
  } else {
    QMetaObject::invokeMethod(qApp, std::move(Call), Qt::QueuedConnection);
  }
}

} // namespace

TQtPlatform::TQtPlatform(TVelmoraApplication& Application) : FApplication(Application) {
  SetTitle(QGuiApplication::applicationDisplayName().toStdString());
}

TQtPlatform::~TQtPlatform() {
  if (FOverriding) {
    QGuiApplication::restoreOverrideCursor();
  }
}

void TQtPlatform::SetTitle(const std::string& Title) {
  {
    std::lock_guard Lock(FTitleLock);
    FTitle = Title;
  }
  QGuiApplication::setApplicationDisplayName(QString::fromStdString(Title));
}

std::string TQtPlatform::Title() {
  std::lock_guard Lock(FTitleLock);
  return FTitle;
}

void TQtPlatform::ShowMessage(const std::string& Text) {
  OnUserInterface(
      [Caption = QString::fromStdString(Title()), Message = QString::fromStdString(Text)] {
        QMessageBox::information(QApplication::activeWindow(), Caption, Message);
      });
}

void TQtPlatform::Beep() {
  OnUserInterface([] { QApplication::beep(); });
}

void TQtPlatform::ProcessPending() {
  QCoreApplication::processEvents();
}

bool TQtPlatform::Terminating() {
  return FApplication.QuitRequested();
}

void TQtPlatform::LoadCursor(int Id, const std::string& ResourceName) {
  const QPixmap Image(":/cursors/" + QString::fromStdString(ResourceName) + ".png");
  const TCursorHotSpot* Spot = FindCursorHotSpot(ResourceName);
  if (Image.isNull() || !Spot) {
    throw Exception("Cursor resource \"" + ResourceName + "\" not found");
  }
  FCursors.insert_or_assign(Id, QCursor(Image, Spot->X, Spot->Y));
}

const QCursor* TQtPlatform::LoadedCursor(int Id) const {
  auto Found = FCursors.find(Id);
  return Found == FCursors.end() ? nullptr : &Found->second;
}

void TQtPlatform::SetCursor(int Id) {
  if (Id == FCursor) {
    return;
  }
  // At most one override of ours on Qt's stack, so that the busy cursor
  // and a restore always balance.
  if (FOverriding) {
    QGuiApplication::restoreOverrideCursor();
    FOverriding = false;
  }
  FCursor = Id;
  if (Id == crHourGlass) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    FOverriding = true;
  } else if (const QCursor* Loaded = LoadedCursor(Id)) {
    QGuiApplication::setOverrideCursor(*Loaded);
    FOverriding = true;
  }
}

void TQtPlatform::SetExceptionEvent(TExceptionEvent Handler) {
  FApplication.SetExceptionEvent(std::move(Handler));
}

void TQtPlatform::SetIdleEvent(TIdleEvent Handler) {
  FApplication.SetIdleEvent(std::move(Handler));
}

void TQtPlatform::SetMessageEvent(TMessageEvent Handler) {
  FApplication.SetMessageEvent(std::move(Handler));
}
