#pragma once
// Qt's own words (the dialogs' buttons and labels, their messages) in the
// user's language while the object lives, where Qt ships a translation.
// The program's own texts are never translated.
#include <QLocale>
#include <QTranslator>

class TQtTranslations {
public:
  explicit TQtTranslations(const QLocale& Locale = QLocale::system());
  ~TQtTranslations();
  TQtTranslations(const TQtTranslations&) = delete;
  TQtTranslations& operator=(const TQtTranslations&) = delete;

  // False when Qt has no words for the locale: they stay English.
  bool Loaded() const { return FLoaded; }

private:
  QTranslator FTranslator;
  bool FLoaded = false;
};
