#pragma once
// The shown main window over the framework, with its settings file in a
// fresh folder remembered as the last one used, and the failures the run
// reported.
#include "Driving.h"
#include "QtPlatform.h"
#include "TempDir.h"
#include "Unit2.h"
#include "VekSystem.h"

#include <QString>

#include <ostream>
#include <string>
#include <vector>

class QFileDialog;
class QLineEdit;

struct TWindowSession {
  TWindowSession();

  QString Folder() const;
  QString File(const std::string& Name) const;

  TTempDir Temp;
  TQtPlatform Qt;
  TPlatformInstallation Installed;
  TVekSystemScope Framework;
  std::vector<std::string> Reports;
  TFormMain2 Form;
};

// The dialog's file name box with the focus in it, as a person types
// there; without the focus the dialog puts the names of the files it marks
// in the list over the typed text.
QLineEdit* FocusFileNameBox(QFileDialog& Dialog);

// Types Names into the dialog's file name box and presses Enter there, as
// a person does. Dialogs that open over this one meanwhile get the answers
// of Meanwhile, any beyond them are cancelled; gives how many opened.
size_t TypeAndEnter(QFileDialog& Dialog, const QString& Names,
                    std::vector<TDialogScript::TAnswer> Meanwhile = {});

// Failures show texts as text.
void PrintTo(const QString& Text, std::ostream* Out);
