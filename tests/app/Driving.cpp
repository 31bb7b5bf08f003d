#include "Driving.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>

void Click(QPushButton& Button) {
  const QPointF Centre = QRectF(Button.rect()).center();
  const QPointF Global = Button.mapToGlobal(Centre);
  QMouseEvent Press(QEvent::MouseButtonPress, Centre, Global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent Release(QEvent::MouseButtonRelease, Centre, Global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&Button, &Press);
  QCoreApplication::sendEvent(&Button, &Release);
}

TDialogScript::TDialogScript(std::vector<TAnswer> Answers) : FAnswers(std::move(Answers)) {
  // The dialogs run their own loops inside the run; a timer is what gets
  // a word in there.
  QObject::connect(&FTimer, &QTimer::timeout, [this] { Look(); });
  FTimer.start(5);
}

void TDialogScript::Look() {
  QWidget* Modal = QApplication::activeModalWidget();
  // QPointer forgets a closed dialog, so the next one is new even if it
  // happens to live at the same address.
  if (!Modal || Modal == FLast) {
    return;
  }
  FLast = Modal;
  if (FNext < FAnswers.size()) {
    const QPointer<QWidget> Answered = Modal;
    FAnswers[FNext++](*Modal);
    // An answer that left its dialog open (a failed assertion, a refused
    // accept) would wait for a person: the dialog is cancelled instead.
    if (Answered && Answered->isVisible()) {
      Cancel(*Answered);
    }
  } else {
    Cancel(*Modal);
  }
}

void TDialogScript::Cancel(QWidget& Modal) {
  if (auto* Dialog = qobject_cast<QDialog*>(&Modal)) {
    ++FUnexpected;
    Dialog->reject();
  }
}
