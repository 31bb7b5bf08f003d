#pragma once
// The main window: a panel with the Start button and the status label,
// the picture control, an empty status bar, and the two file dialogs.
// It is the stacking run's host.
#include "LayoutSetting.h"
#include "RunHost.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QStatusBar;
class TPictureView;

// What Start runs; the stacking run unless a test puts another in.
using TRunFunction = std::function<void(TRunHost& Host)>;

class TFormMain : public QWidget, public TRunHost {
  Q_OBJECT

public:
  explicit TFormMain(TRunFunction Run = {}, QWidget* Parent = nullptr);

  // The run host.
  bool OpenFiles(const std::string& InitialDir, int& FilterIndex,
                 std::vector<std::string>& Files) override;
  bool SaveFile(const std::string& InitialDir, const std::string& Proposal,
                std::string& Chosen) override;
  void ShowMessage(const std::string& Text) override;
  bool Confirm(const std::string& Text) override;
  void SetInfo(const std::string& Text) override;
  void ShowPicture(const TBitmap24& Bitmap) override;
  void RepaintPicture() override;
  int Cursor() override;
  void SetCursor(int Id) override;
  TSaveLayout Layout() override { return LayoutSetting(); }
  bool Align() const override;

  QWidget* Panel1;
  QPushButton* Button1;
  QLabel* Info;
  TPictureView* Picture;
  QStatusBar* StatusBar1;
  // At the panel's right end: every file aligned to the first when ticked.
  QCheckBox* AlignBox;

protected:
  void FormCreate();
  void Button1Click();
  void showEvent(QShowEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  TRunFunction FRun;
  // Where the open dialog was when it last closed.
  QString FOpenFolder;
};
