#include "StartFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString OpenStartFolder(const QStringList& Candidates, const QString& Pattern) {
  for (const QString& Folder : Candidates) {
    if (!Folder.isEmpty() && QFileInfo(Folder).isDir())
      return Folder;
  }
  const QDir Current = QDir::current();
  if (!Current.entryList({Pattern}, QDir::Files).isEmpty())
    return Current.absolutePath();
  const QString Pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!Pictures.isEmpty() && QFileInfo(Pictures).isDir())
    return Pictures;
  return QDir::homePath();
}
