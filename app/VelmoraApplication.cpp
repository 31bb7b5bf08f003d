#include "VelmoraApplication.h"

#include "VekExceptions.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

#include <cstdio>

// Resources in a static library must be registered by hand; outside any
// namespace, as the macro requires.
static void InitVelmoraResources() {
  Q_INIT_RESOURCE(velmora);
}

TVelmoraApplication::TVelmoraApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
  InitVelmoraResources();
  connect(this, &QCoreApplication::aboutToQuit, this, [this] { FQuitRequested = true; });
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TVelmoraApplication::AboutToBlock);
}

bool TVelmoraApplication::QuitRequested() const {
  return FQuitRequested || QCoreApplication::closingDown();
}

void TVelmoraApplication::SetIdleEvent(TIdleEvent Handler) {
  FIdleEvent = std::move(Handler);
  // A loop that is already waiting would otherwise not see the new client
  // before the next event arrives.
  if (FIdleEvent) {
    QTimer::singleShot(0, this, [] {});
  }
}

bool TVelmoraApplication::notify(QObject* Receiver, QEvent* Event) {
  // Nothing may leave here by an exception: Qt's event code does not
  // expect it, and the loop would end with the program.
  try {
    if (FMessageEvent) {
      TVekMessage Message{Receiver, Event, static_cast<int>(Event->type())};
      bool Handled = false;
      FMessageEvent(Message, Handled);
      if (Handled) {
        return true;
      }
    }
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    HandleException(Receiver);
  }
  return false;
}

void TVelmoraApplication::HandleException(QObject* Receiver) {
  const std::string Sender = Receiver ? Receiver->metaObject()->className() : "QObject";
  try {
    if (!FExceptionEvent) {
      throw;
    }
    FExceptionEvent(Sender, std::current_exception());
  } catch (...) {
    // The silent abort ends an operation without any message.
    const TExceptionDescription Described = DescribeException(std::current_exception());
    if (Described.Kind == TExceptionDescription::Described)
      std::fprintf(stderr, "Velmora: unhandled exception in %s: %s\n", Sender.c_str(),
                   Described.Message.c_str());
    else if (Described.Kind == TExceptionDescription::Unknown)
      std::fprintf(stderr, "Velmora: unhandled exception in %s\n", Sender.c_str());
  }
}

void TVelmoraApplication::AboutToBlock() {
  // An idle client that processes events would wait here again: one idle
  // call at a time.
  if (!FIdleEvent || FInIdle) {
    return;
  }
  FInIdle = true;
  bool Done = true;
  try {
    FIdleEvent(Done);
  } catch (...) {
    HandleException(this);
  }
  FInIdle = false;
  // Not done: wake the loop at once so that the idle event comes again.
  if (!Done) {
    QTimer::singleShot(0, this, [] {});
  }
}
