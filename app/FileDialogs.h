#pragma once
// The window's file dialogs. Always Qt's own widget-based dialog, so that
// they behave alike whatever the desktop and its platform theme.
#include <QFileDialog>
#include <QStringList>

class QLineEdit;

// Filter patterns hidden behind their names, and in the detail view every
// column as wide as what it shows, the dialog growing with them.
class TFileDialog : public QFileDialog {
  Q_OBJECT

public:
  TFileDialog(QWidget* Parent, const QString& Folder);

protected:
  // The box the file names are typed into; null should Qt ever drop it.
  QLineEdit* FileNameBox() const;

private:
  void FitColumns();
};

// Several existing files. Names typed into the box are taken as typed,
// whatever the filter shows, in their order; a name of no file is refused
// with a message and the dialog stays open. Files picked by clicking are
// Qt's own selection.
class TOpenDialog : public TFileDialog {
  Q_OBJECT

public:
  TOpenDialog(QWidget* Parent, const QString& Folder);

  // The full paths of the accepted files, in the dialog's order.
  QStringList Files() const;

public slots:
  void accept() override;

private:
  QString SelectionText() const;
  void KeepOpenEnabled();

  bool FTyped = false;
  QStringList FTypedFiles;
};
