#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

TQtTranslations::TQtTranslations(const QLocale& Locale) {
  // The locale's languages in the user's order, "de_DE" before "de".
  FLoaded =
      FTranslator.load(Locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(&FTranslator);
}

TQtTranslations::~TQtTranslations() {
  if (FLoaded)
    QCoreApplication::removeTranslator(&FTranslator);
}
