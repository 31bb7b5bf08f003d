#include "VelmoraApplication.h"
#include "AppEnvironment.h"
#include "QtPlatform.h"
#include "VekExceptions.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Throws from inside event delivery, as a failing handler would.
class TThrowingFilter : public QObject {
public:
  bool eventFilter(QObject*, QEvent* Event) override {
    if (Event->type() == QEvent::User) {
      throw EInOutError("disk gone");
    }
    return false;
  }
};

class TRecordingFilter : public QObject {
public:
  bool eventFilter(QObject*, QEvent* Event) override {
    Seen += Event->type() == QEvent::User;
    return false;
  }
  int Seen = 0;
};

// Clears the events again however the test ends; declared after what the
// handlers use, so that it runs before those are gone.
struct TEventsReset {
  explicit TEventsReset(TQtPlatform& Qt) : Qt(Qt) {}
  ~TEventsReset() {
    Qt.SetExceptionEvent({});
    Qt.SetIdleEvent({});
    Qt.SetMessageEvent({});
  }
  TQtPlatform& Qt;
};

TEST(VelmoraApplication, ExceptionFromAHandlerReachesTheExceptionEvent) {
  TQtPlatform Qt(TestApplication());
  std::string Sender;
  std::string Message;
  TEventsReset Reset(Qt);
  Qt.SetExceptionEvent([&](const std::string& SenderClass, std::exception_ptr E) {
    Sender = SenderClass;
    try {
      std::rethrow_exception(E);
    } catch (const Exception& Caught) {
      Message = Caught.ClassName() + ": " + Caught.Message();
    }
  });
  QPushButton Button;
  TThrowingFilter Filter;
  Button.installEventFilter(&Filter);
  QEvent Event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&Button, &Event));
  EXPECT_EQ(Sender, "QPushButton");
  EXPECT_EQ(Message, "EInOutError: disk gone");

  // Without an exception event the failure is swallowed, not fatal; and a
  // silent abort from the event itself goes nowhere.
  Qt.SetExceptionEvent({});
  EXPECT_NO_THROW(QCoreApplication::sendEvent(&Button, &Event));
  Qt.SetExceptionEvent([](const std::string&, std::exception_ptr) { Abort(); });
  EXPECT_NO_THROW(QCoreApplication::sendEvent(&Button, &Event));
}

TEST(VelmoraApplication, MessageEventSeesEveryEventAndMayDropIt) {
  TQtPlatform Qt(TestApplication());
  QPushButton Button;
  TRecordingFilter Recorder;
  Button.installEventFilter(&Recorder);
  std::vector<int> Kinds;
  bool Drop = false;
  TEventsReset Reset(Qt);
  Qt.SetMessageEvent([&](TVekMessage& Message, bool& Handled) {
    if (Message.Receiver == &Button) {
      Kinds.push_back(Message.Kind);
      EXPECT_EQ(static_cast<QEvent*>(Message.Event)->type(), Message.Kind);
      Handled = Drop;
    }
  });
  QEvent Event(QEvent::User);
  QCoreApplication::sendEvent(&Button, &Event);
  EXPECT_EQ(Kinds, std::vector<int>{QEvent::User});
  EXPECT_EQ(Recorder.Seen, 1);

  // A dropped event counts as handled and never reaches the receiver.
  Drop = true;
  EXPECT_TRUE(QCoreApplication::sendEvent(&Button, &Event));
  EXPECT_EQ(Kinds.size(), 2u);
  EXPECT_EQ(Recorder.Seen, 1);
}

TEST(VelmoraApplication, IdleEventComesAgainUntilDone) {
  TQtPlatform Qt(TestApplication());
  QEventLoop Loop;
  int Calls = 0;
  TEventsReset Reset(Qt);
  Qt.SetIdleEvent([&](bool& Done) {
    ++Calls;
    // Not done twice: the loop must wake by itself for the third call.
    Done = Calls >= 3;
    if (Done) {
      Loop.quit();
    }
  });
  // Only a guard against a hang if the idle event never came.
  QTimer::singleShot(10000, &Loop, [&] { Loop.exit(1); });
  EXPECT_EQ(Loop.exec(), 0);
  EXPECT_EQ(Calls, 3);
}

} // namespace
