#pragma once
// The application object of the window toolkit, carrying the three
// application events of the framework: the exception event for whatever
// an event handler throws, the idle event when the loop is about to wait,
// and the message event that sees every event before it is delivered.
#include "VekPlatform.h"

#include <QApplication>

#include <atomic>

class TVelmoraApplication : public QApplication {
  Q_OBJECT

public:
  TVelmoraApplication(int& Argc, char** Argv);

  bool notify(QObject* Receiver, QEvent* Event) override;

  // Empty functions clear the event.
  void SetExceptionEvent(TExceptionEvent Handler) { FExceptionEvent = std::move(Handler); }
  void SetIdleEvent(TIdleEvent Handler);
  void SetMessageEvent(TMessageEvent Handler) { FMessageEvent = std::move(Handler); }

  // True once quitting has begun; safe to ask from any thread.
  bool QuitRequested() const;

  // Runs the program's own handler for Sender and hands what it throws to
  // the exception event right here: Qt is built without exception support,
  // so an exception unwinding through its frames would skip their clean-up
  // and leak what they hold. notify()'s catch is the last resort.
  template <class THandler> static void Guarded(QObject* Sender, THandler&& Handler) {
    try {
      Handler();
    } catch (...) {
      auto* Self = qobject_cast<TVelmoraApplication*>(QCoreApplication::instance());
      if (!Self)
        throw;
      Self->HandleException(Sender);
    }
  }

private:
  void AboutToBlock();
  void HandleException(QObject* Receiver);

  TExceptionEvent FExceptionEvent;
  TIdleEvent FIdleEvent;
  TMessageEvent FMessageEvent;
  std::atomic<bool> FQuitRequested{false};
  bool FInIdle = false;
};
