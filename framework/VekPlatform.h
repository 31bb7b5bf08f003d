#pragma once
// The platform seam: the few services that need a window toolkit. The
// framework calls them through the one installed object; the default is
// headless (no beep, message boxes written to stderr). The window program
// installs its Qt implementation at start-up, tests a recording one.
#include <exception>
#include <functional>
#include <string>

// What the message event carries: the receiving object and the event, both
// owned by the toolkit and opaque here.
struct TVekMessage {
  void* Receiver = nullptr;
  void* Event = nullptr;
  int Kind = 0;
};

// Sender is the class name of the object that was handling the event.
using TExceptionEvent = std::function<void(const std::string& SenderClass, std::exception_ptr E)>;
using TIdleEvent = std::function<void(bool& Done)>;
using TMessageEvent = std::function<void(TVekMessage& Msg, bool& Handled)>;

// Screen cursor ids: 0 the default arrow, crHourGlass the busy cursor, and
// the program's own cursors under their fixed ids.
inline constexpr int crDefault = 0;
inline constexpr int crHourGlass = -11;

class TVekPlatform {
public:
  virtual ~TVekPlatform() = default;

  virtual std::string Title() = 0;
  // A plain message box with an OK button and the title as caption.
  virtual void ShowMessage(const std::string& Text) = 0;
  virtual void Beep() = 0;
  virtual void ProcessPending() = 0;
  // True once the message loop has received the quit request.
  virtual bool Terminating() = 0;

  // Loads the named cursor resource into the screen's cursor table; raises
  // an Exception when the resource cannot be loaded.
  virtual void LoadCursor(int Id, const std::string& ResourceName) = 0;
  virtual int Cursor() = 0;
  virtual void SetCursor(int Id) = 0;

  // Empty functions clear the event.
  virtual void SetExceptionEvent(TExceptionEvent Handler) = 0;
  virtual void SetIdleEvent(TIdleEvent Handler) = 0;
  virtual void SetMessageEvent(TMessageEvent Handler) = 0;
};

// Without a toolkit: no beep, no pending messages, message boxes to stderr,
// cursors recorded but invisible, events stored so that they can be called.
class THeadlessPlatform : public TVekPlatform {
public:
  std::string Title() override { return FTitle; }
  void SetTitle(std::string Title) { FTitle = std::move(Title); }
  void ShowMessage(const std::string& Text) override;
  void Beep() override {}
  void ProcessPending() override {}
  bool Terminating() override { return false; }
  void LoadCursor(int, const std::string&) override {}
  int Cursor() override { return FCursor; }
  void SetCursor(int Id) override { FCursor = Id; }
  void SetExceptionEvent(TExceptionEvent Handler) override { ExceptionEvent = std::move(Handler); }
  void SetIdleEvent(TIdleEvent Handler) override { IdleEvent = std::move(Handler); }
  void SetMessageEvent(TMessageEvent Handler) override { MessageEvent = std::move(Handler); }

  TExceptionEvent ExceptionEvent;
  TIdleEvent IdleEvent;
  TMessageEvent MessageEvent;

private:
  std::string FTitle = "Velmora";
  int FCursor = crDefault;
};

// The installed platform; the headless one until another is installed.
TVekPlatform& Platform();
// Installs Platform (not owned; must outlive its use). nullptr restores
// the headless default.
void InstallPlatform(TVekPlatform* NewPlatform);
