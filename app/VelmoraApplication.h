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

private:
  void AboutToBlock();
  void HandleException(QObject* Receiver);

  TExceptionEvent FExceptionEvent;
  TIdleEvent FIdleEvent;
  TMessageEvent FMessageEvent;
  std::atomic<bool> FQuitRequested{false};
  bool FInIdle = false;
};
