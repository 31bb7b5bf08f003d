#include "RecordingPlatform.h"

#include "VekExceptions.h"

namespace {

std::string Change(const char* Event, bool Installed) {
  return std::string(Event) + (Installed ? " installed" : " cleared");
}

} // namespace

std::string TRecordingPlatform::Title() {
  std::lock_guard Hold(FLock);
  return FTitle;
}

void TRecordingPlatform::SetTitle(const std::string& Title) {
  std::lock_guard Hold(FLock);
  FTitle = Title;
}

void TRecordingPlatform::ShowMessage(const std::string& Text) {
  std::lock_guard Hold(FLock);
  FMessages.push_back(Text);
}

void TRecordingPlatform::Beep() {
  std::lock_guard Hold(FLock);
  ++FBeeps;
}

void TRecordingPlatform::ProcessPending() {
  std::lock_guard Hold(FLock);
  ++FPending;
}

void TRecordingPlatform::FailCursor(const std::string& ResourceName) {
  std::lock_guard Hold(FLock);
  FFailingCursors.insert(ResourceName);
}

void TRecordingPlatform::LoadCursor(int Id, const std::string& ResourceName) {
  std::lock_guard Hold(FLock);
  if (FFailingCursors.count(ResourceName))
    throw Exception("Cursor resource " + ResourceName + " not found");
  FLoadedCursors.emplace_back(Id, ResourceName);
}

int TRecordingPlatform::Cursor() {
  std::lock_guard Hold(FLock);
  return FCursor;
}

void TRecordingPlatform::SetCursor(int Id) {
  std::lock_guard Hold(FLock);
  FCursor = Id;
  FCursorChanges.push_back(Id);
}

void TRecordingPlatform::SetExceptionEvent(TExceptionEvent Handler) {
  std::lock_guard Hold(FLock);
  FEventChanges.push_back(Change("Exception", static_cast<bool>(Handler)));
  FExceptionEvent = std::move(Handler);
}

void TRecordingPlatform::SetIdleEvent(TIdleEvent Handler) {
  std::lock_guard Hold(FLock);
  FEventChanges.push_back(Change("Idle", static_cast<bool>(Handler)));
  FIdleEvent = std::move(Handler);
}

void TRecordingPlatform::SetMessageEvent(TMessageEvent Handler) {
  std::lock_guard Hold(FLock);
  FEventChanges.push_back(Change("Message", static_cast<bool>(Handler)));
  FMessageEvent = std::move(Handler);
}

std::vector<std::string> TRecordingPlatform::Messages() const {
  std::lock_guard Hold(FLock);
  return FMessages;
}

int TRecordingPlatform::Beeps() const {
  std::lock_guard Hold(FLock);
  return FBeeps;
}

int TRecordingPlatform::PendingCalls() const {
  std::lock_guard Hold(FLock);
  return FPending;
}

std::vector<std::pair<int, std::string>> TRecordingPlatform::LoadedCursors() const {
  std::lock_guard Hold(FLock);
  return FLoadedCursors;
}

std::vector<int> TRecordingPlatform::CursorChanges() const {
  std::lock_guard Hold(FLock);
  return FCursorChanges;
}

std::vector<std::string> TRecordingPlatform::EventChanges() const {
  std::lock_guard Hold(FLock);
  return FEventChanges;
}

bool TRecordingPlatform::HasExceptionEvent() const {
  std::lock_guard Hold(FLock);
  return static_cast<bool>(FExceptionEvent);
}

bool TRecordingPlatform::HasIdleEvent() const {
  std::lock_guard Hold(FLock);
  return static_cast<bool>(FIdleEvent);
}

bool TRecordingPlatform::HasMessageEvent() const {
  std::lock_guard Hold(FLock);
  return static_cast<bool>(FMessageEvent);
}

// The events are copied out of the lock before they run: a handler may
// install or clear events itself, and may report through this platform.
bool TRecordingPlatform::FireIdle() {
  TIdleEvent Event;
  {
    std::lock_guard Hold(FLock);
    Event = FIdleEvent;
  }
  bool Done = true;
  if (Event)
    Event(Done);
  return Done;
}

bool TRecordingPlatform::FireMessage(TVekMessage& Msg) {
  TMessageEvent Event;
  {
    std::lock_guard Hold(FLock);
    Event = FMessageEvent;
  }
  bool Handled = false;
  if (Event)
    Event(Msg, Handled);
  return Handled;
}

void TRecordingPlatform::FireException(const std::string& SenderClass, std::exception_ptr E) {
  TExceptionEvent Event;
  {
    std::lock_guard Hold(FLock);
    Event = FExceptionEvent;
  }
  if (Event)
    Event(SenderClass, std::move(E));
}
