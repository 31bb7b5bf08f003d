#include "JpegMaker.h"
#include "QtTranslations.h"
#include "WindowSession.h"

#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace {

// Run by ctest under LANG=de_DE.UTF-8 (see tests/CMakeLists.txt); Qt takes
// the language from the environment, no system locale needs to exist.
TEST(GermanQtWords, DialogsSpeakGermanWhileTheProgramsTextsStayAsTheyAre) {
  if (QLocale::system().language() != QLocale::German)
    GTEST_SKIP() << "needs LANG=de_DE.UTF-8";
  TQtTranslations Translations;
  ASSERT_TRUE(Translations.Loaded());
  TWindowSession Session;
  for (const char* Name : {"a.jpg", "c.jpg"})
    WriteJpeg(Session.Temp.File(Name), TJpegPicture::Solid(4, 2, TJpegKind::Rgb, {9, 9, 9}));

  QString OpenWord;
  QString CancelWord;
  QString Message;
  QString SaveWord;
  TDialogScript Run({[&](QWidget& Dialog) {
                       auto* Open = qobject_cast<QFileDialog*>(&Dialog);
                       ASSERT_NE(Open, nullptr);
                       OpenWord = Open->labelText(QFileDialog::Accept);
                       CancelWord = Open->labelText(QFileDialog::Reject);
                       TypeAndEnter(*Open, "a.jpg");
                     },
                     [&](QWidget& Dialog) {
                       auto* Box = qobject_cast<QMessageBox*>(&Dialog);
                       ASSERT_NE(Box, nullptr);
                       Message = Box->text();
                       Box->accept();
                     },
                     [&](QWidget& Dialog) {
                       auto* Open = qobject_cast<QFileDialog*>(&Dialog);
                       ASSERT_NE(Open, nullptr);
                       TypeAndEnter(*Open, "\"a.jpg\" \"c.jpg\"");
                     },
                     [&](QWidget& Dialog) {
                       auto* Save = qobject_cast<QFileDialog*>(&Dialog);
                       ASSERT_NE(Save, nullptr);
                       SaveWord = Save->labelText(QFileDialog::Accept);
                       TypeAndEnter(*Save, "result");
                     }});
  Click(*Session.Form.Button1);
  EXPECT_EQ(Run.Answered(), 4u);
  EXPECT_EQ(Run.Unexpected(), 0);
  EXPECT_EQ(OpenWord, QString::fromUtf8("&Öffnen"));
  EXPECT_EQ(CancelWord, "Abbrechen");
  EXPECT_EQ(SaveWord, "S&peichern");
  EXPECT_EQ(Message, QString::fromUtf8("wählen Sie bitte mindestens zwei Dateien aus"));
  EXPECT_EQ(Session.Form.Info->text(), "READY");
}

} // namespace
