#include "TypedNames.h"

#include <QFileInfo>

QStringList SplitTypedNames(const QString& Text) {
  if (!Text.contains(u'"')) {
    const QString Name = Text.trimmed();
    return Name.isEmpty() ? QStringList() : QStringList{Name};
  }
  QStringList Names;
  // Odd parts stand between quotes; an unclosed quote runs to the end.
  const QStringList Parts = Text.split(u'"');
  for (qsizetype I = 0; I < Parts.size(); ++I) {
    if (I % 2 == 1) {
      if (!Parts.at(I).isEmpty())
        Names.append(Parts.at(I));
    } else {
      Names.append(Parts.at(I).simplified().split(u' ', Qt::SkipEmptyParts));
    }
  }
  return Names;
}

QString ResolveTypedName(const QDir& Folder, const QString& Name, const QString& Suffix) {
  QString Path = Name;
  if (Path == u"~" || Path.startsWith(u"~/"))
    Path = QDir::homePath() + Path.mid(1);
  Path = QDir::cleanPath(Folder.absoluteFilePath(Path));
  if (!Suffix.isEmpty() && !QFileInfo::exists(Path) && !QFileInfo(Path).fileName().contains(u'.'))
    Path += u'.' + Suffix;
  return Path;
}
