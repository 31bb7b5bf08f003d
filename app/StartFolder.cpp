#include "StartFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString OpenStartFolder(const QString& Remembered, const QString& Pattern) {
  if (!Remembered.isEmpty() && QFileInfo(Remembered).isDir())
    return Remembered;
  const QDir Current = QDir::current();
  if (!Current.entryList({Pattern}, QDir::Files).isEmpty())
    return Current.absolutePath();
  const QString Pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!Pictures.isEmpty() && QFileInfo(Pictures).isDir())
    return Pictures;
  return QDir::homePath();
}
