#pragma once
// The platform seam with Qt: message boxes, beep, the title, the cursors
// and the application events of TVelmoraApplication.
#include "VekPlatform.h"

#include <QCursor>

#include <map>
#include <mutex>

class TVelmoraApplication;

class TQtPlatform : public TVekPlatform {
public:
  explicit TQtPlatform(TVelmoraApplication& Application);
  ~TQtPlatform() override;
  TQtPlatform(const TQtPlatform&) = delete;
  TQtPlatform& operator=(const TQtPlatform&) = delete;

  // Also the toolkit's application display name.
  void SetTitle(const std::string& Title);

  std::string Title() override;
  void ShowMessage(const std::string& Text) override;
  void Beep() override;
  void ProcessPending() override;
  bool Terminating() override;
  void LoadCursor(int Id, const std::string& ResourceName) override;
  int Cursor() override { return FCursor; }
  void SetCursor(int Id) override;
  void SetExceptionEvent(TExceptionEvent Handler) override;
  void SetIdleEvent(TIdleEvent Handler) override;
  void SetMessageEvent(TMessageEvent Handler) override;

  // The loaded cursor of an id, or nullptr.
  const QCursor* LoadedCursor(int Id) const;

private:
  TVelmoraApplication& FApplication;
  std::mutex FTitleLock;
  std::string FTitle;
  std::map<int, QCursor> FCursors;
  int FCursor = crDefault;
  // Whether this object has one override cursor on Qt's stack.
  bool FOverriding = false;
};

// Installs a platform for the lifetime of the guard, then restores the
// headless default.
class TPlatformInstallation {
public:
  explicit TPlatformInstallation(TVekPlatform& Installed) { InstallPlatform(&Installed); }
  ~TPlatformInstallation() { InstallPlatform(nullptr); }
  TPlatformInstallation(const TPlatformInstallation&) = delete;
  TPlatformInstallation& operator=(const TPlatformInstallation&) = delete;
};
