#include "WindowSession.h"

#include "AppEnvironment.h"
#include "VekApp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

TWindowSession::TWindowSession() : Qt(TestApplication()), Installed(Qt) {
  App->SetIniFile(Temp.File("VadevEzuzeva.ini"));
  App->WriteIniString("Config", "Path", Temp.Path().string() + "/");
  App->OnError = [this](TVekApp&, std::string& Source, bool& Report, std::string&,
                        std::string& Text) {
    Reports.push_back(Source + ": " + Text);
    Report = false;
  };
  Form.show();
}

QString TWindowSession::Folder() const {
  return QString::fromStdString(Temp.Path().string());
}

QString TWindowSession::File(const std::string& Name) const {
  return QString::fromStdString(Temp.File(Name));
}

QLineEdit* FocusFileNameBox(QFileDialog& Dialog) {
  auto* Box = Dialog.findChild<QLineEdit*>("fileNameEdit");
  EXPECT_NE(Box, nullptr);
  if (!Box)
    return nullptr;
  Dialog.activateWindow();
  Box->setFocus();
  QDeadlineTimer Deadline(10000);
  while (!Box->hasFocus() && !Deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(Box->hasFocus());
  return Box;
}

size_t TypeAndEnter(QFileDialog& Dialog, const QString& Names,
                    std::vector<TDialogScript::TAnswer> Meanwhile) {
  QLineEdit* Box = FocusFileNameBox(Dialog);
  if (!Box)
    return 0;
  Box->setText(Names);
  // The script running this answer cannot see into the loop of a dialog
  // that Enter opens: Qt does not fire a timer again while its handler
  // runs. A script of its own answers there.
  TDialogScript Over(std::move(Meanwhile));
  QKeyEvent Enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(Box, &Enter);
  return Over.Answered() + static_cast<size_t>(Over.Unexpected());
}

void PrintTo(const QString& Text, std::ostream* Out) {
  *Out << '"' << Text.toStdString() << '"';
}
