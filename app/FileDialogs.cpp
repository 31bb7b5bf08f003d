#include "FileDialogs.h"

#include "TypedNames.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>

TFileDialog::TFileDialog(QWidget* Parent, const QString& Folder)
    : QFileDialog(Parent, QString(), Folder) {
  // First: the option decides which dialog is built.
  setOption(DontUseNativeDialog);
  setOption(HideNameFilterDetails);
  // The columns can only be measured once a folder's entries are in.
  if (auto* Tree = findChild<QTreeView*>("treeView")) {
    if (auto* Model = qobject_cast<QFileSystemModel*>(Tree->model()))
      connect(Model, &QFileSystemModel::directoryLoaded, this, &TFileDialog::FitColumns);
  }
  if (auto* Details = findChild<QToolButton*>("detailModeButton"))
    connect(Details, &QToolButton::clicked, this, &TFileDialog::FitColumns);
}

QLineEdit* TFileDialog::FileNameBox() const {
  return findChild<QLineEdit*>("fileNameEdit");
}

void TFileDialog::FitColumns() {
  auto* Tree = findChild<QTreeView*>("treeView");
  if (!Tree || viewMode() != Detail)
    return;
  // Columns only grow, so that a width the user chose stays. A stretched
  // last column is as wide as the room left, which says nothing about
  // what it needs.
  QHeaderView* Header = Tree->header();
  const QAbstractItemView* View = Tree; // where the column's measure is public
  const int Last = Header->logicalIndex(Header->count() - 1);
  int Needed = 0;
  for (int Column = 0; Column < Header->count(); ++Column) {
    if (Header->isSectionHidden(Column))
      continue;
    const int Wanted = std::max(View->sizeHintForColumn(Column), Header->sectionSizeHint(Column));
    const bool Stretched = Header->stretchLastSection() && Column == Last;
    if (!Stretched && Wanted > Header->sectionSize(Column))
      Header->resizeSection(Column, Wanted);
    Needed += Stretched ? Wanted : Header->sectionSize(Column);
  }
  const int Missing = Needed - Tree->viewport()->width();
  if (Missing <= 0)
    return;
  // Wider by what is missing, as far as the screen allows, and centred
  // where it was.
  const QRect Available = screen()->availableGeometry();
  const int Border = frameGeometry().width() - width();
  const int Width = std::min(width() + Missing, Available.width() - Border);
  if (Width <= width())
    return;
  const int Left = x() - (Width - width()) / 2;
  const int MostLeft = Available.left() + Available.width() - (Width + Border);
  resize(Width, height());
  move(std::clamp(Left, Available.left(), std::max(Available.left(), MostLeft)), y());
}

TOpenDialog::TOpenDialog(QWidget* Parent, const QString& Folder) : TFileDialog(Parent, Folder) {
  setAcceptMode(AcceptOpen);
  setFileMode(ExistingFiles);
  // Qt turns Open off while a typed name is not among the files shown,
  // as one outside the filter never is. These run after Qt's own handlers
  // and turn it on again: Open then takes the name or says what is wrong.
  if (QLineEdit* Box = FileNameBox())
    connect(Box, &QLineEdit::textChanged, this, &TOpenDialog::KeepOpenEnabled);
  if (auto* List = findChild<QListView*>("listView")) {
    QItemSelectionModel* Selection = List->selectionModel();
    connect(Selection, &QItemSelectionModel::selectionChanged, this, &TOpenDialog::KeepOpenEnabled);
    connect(Selection, &QItemSelectionModel::currentChanged, this, &TOpenDialog::KeepOpenEnabled);
  }
}

QStringList TOpenDialog::Files() const {
  return FTyped ? FTypedFiles : selectedFiles();
}

// What the dialog writes into the box for files picked by clicking.
QString TOpenDialog::SelectionText() const {
  auto* List = findChild<QListView*>("listView");
  auto* Model = List ? qobject_cast<QFileSystemModel*>(List->model()) : nullptr;
  if (!Model)
    return QString();
  QStringList Names;
  for (const QModelIndex& Row : List->selectionModel()->selectedRows()) {
    if (!Model->isDir(Row))
      Names.append(Row.data().toString());
  }
  if (Names.size() > 1) {
    for (QString& Name : Names)
      Name = u'"' + Name + u'"';
  }
  return Names.join(u' ');
}

void TOpenDialog::KeepOpenEnabled() {
  auto* Buttons = findChild<QDialogButtonBox*>("buttonBox");
  QPushButton* Open = Buttons ? Buttons->button(QDialogButtonBox::Open) : nullptr;
  const QLineEdit* Box = FileNameBox();
  if (Open && Box && !Box->text().trimmed().isEmpty())
    Open->setEnabled(true);
}

void TOpenDialog::accept() {
  // Qt prefers the files it marked in the list to the names in the box;
  // a typed name outside the filter is never marked and would be lost.
  QLineEdit* Box = FileNameBox();
  const QString Text = Box ? Box->text() : QString();
  FTyped = !Text.isEmpty() && Text != SelectionText();
  if (!FTyped) {
    QFileDialog::accept();
    return;
  }
  const QStringList Names = SplitTypedNames(Text);
  if (Names.isEmpty())
    return;
  QStringList Paths;
  for (const QString& Name : Names) {
    const QString Path = ResolveTypedName(directory(), Name, defaultSuffix());
    const QFileInfo Info(Path);
    if (!Info.exists()) {
      // Qt's own message, in the user's language.
      QMessageBox::warning(this, windowTitle(),
                           QCoreApplication::translate("QFileDialog",
                                                       "%1\nFile not found.\nPlease verify the "
                                                       "correct file name was given.")
                               .arg(Name));
      return;
    }
    if (Info.isDir()) {
      setDirectory(Path);
      Box->clear();
      return;
    }
    Paths.append(Path);
  }
  FTypedFiles = Paths;
  QDialog::accept();
}
