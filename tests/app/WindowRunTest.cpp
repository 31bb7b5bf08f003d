#include "AppEnvironment.h"
#include "Driving.h"
#include "JpegMaker.h"
#include "PictureView.h"
#include "QtPlatform.h"
#include "TempDir.h"
#include "Unit2.h"
#include "VekSystem.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

QString Q(const std::string& Text) {
  return QString::fromStdString(Text);
}

// A whole run through the window's own dialogs: a single file first (the
// run asks for two), then two JPEGs in different letter cases, then the
// proposed output name; a second run declines to replace that file.
TEST(WindowRun, StacksThroughTheWindowsDialogs) {
  TTempDir Temp;
  const QString Folder = Q(Temp.Path().string());
  WriteJpeg(Temp.File("IMG_1.JPG"), TJpegPicture::Solid(8, 4, TJpegKind::Rgb, {200, 40, 10}));
  WriteJpeg(Temp.File("img_2.jpg"), TJpegPicture::Solid(8, 4, TJpegKind::Rgb, {100, 20, 5}));

  TQtPlatform Qt(TestApplication());
  TPlatformInstallation Installed(Qt);
  TVekSystemScope Framework;
  App->SetIniFile(Temp.File("VadevEzuzeva.ini"));
  App->WriteIniString("Config", "Path", Temp.Path().string() + "/");
  std::vector<std::string> Reports;
  App->OnError = [&Reports](TVekApp&, std::string& Source, bool& Report, std::string&,
                            std::string& Text) {
    Reports.push_back(Source + ": " + Text);
    Report = false;
  };

  TFormMain2 Form;
  Form.show();
  // Picks Names with filter Shown selected, the one remembered being Expected.
  auto Pick = [&](const QString& Names, int Expected = 1, int Shown = 1) {
    return [&, Names, Expected, Shown](QWidget& Dialog) {
      auto* Open = qobject_cast<QFileDialog*>(&Dialog);
      ASSERT_NE(Open, nullptr);
      EXPECT_EQ(Open->fileMode(), QFileDialog::ExistingFiles);
      EXPECT_EQ(Open->directory().absolutePath(), Folder);
      ASSERT_EQ(Open->nameFilters().size(), 3);
      EXPECT_TRUE(Open->nameFilters().at(2).startsWith("Raw ("));
      for (const char* Pattern : {"*.[dD][nN][gG]", "*.[cC][rR]3", "*.3[fF][rR]"})
        EXPECT_TRUE(Open->nameFilters().at(2).contains(Pattern)) << Pattern;
      EXPECT_TRUE(Open->selectedNameFilter().startsWith(Expected == 1 ? "JPEG" : "TIFF"));
      Open->selectNameFilter(Open->nameFilters().at(Shown - 1));
      // Typed, as a person does: selectFile leaves the box alone while it
      // has the focus, and then the dialog would stay open.
      auto* FileName = Open->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(FileName, nullptr);
      FileName->setText(Names);
      static_cast<QDialog*>(Open)->accept();
    };
  };
  QString Message;
  QString Proposal;
  {
    TDialogScript FirstRun({Pick("IMG_1.JPG"),
                            [&](QWidget& Dialog) {
                              auto* Box = qobject_cast<QMessageBox*>(&Dialog);
                              ASSERT_NE(Box, nullptr);
                              Message = Box->text();
                              Box->accept();
                            },
                            Pick("\"IMG_1.JPG\" \"img_2.jpg\""),
                            [&](QWidget& Dialog) {
                              auto* Save = qobject_cast<QFileDialog*>(&Dialog);
                              ASSERT_NE(Save, nullptr);
                              EXPECT_EQ(Save->acceptMode(), QFileDialog::AcceptSave);
                              EXPECT_TRUE(Save->testOption(QFileDialog::DontConfirmOverwrite));
                              EXPECT_TRUE(Save->defaultSuffix().isEmpty());
                              EXPECT_EQ(Save->directory().absolutePath(), Folder);
                              Proposal = Save->selectedFiles().value(0);
                              static_cast<QDialog*>(Save)->accept();
                            }});
    Click(*Form.Button1);
    EXPECT_EQ(FirstRun.Answered(), 4u);
    EXPECT_EQ(FirstRun.Unexpected(), 0);
  }
  EXPECT_EQ(Message, QString::fromUtf8("wählen Sie bitte mindestens zwei Dateien aus"));
  EXPECT_EQ(Proposal, Q(Temp.File("img_2.tif")));
  EXPECT_TRUE(Reports.empty()) << Reports.front();
  EXPECT_EQ(Form.Info->text(), "READY");
  EXPECT_EQ(Form.Picture->Picture().size(), QSize(8, 4));
  EXPECT_EQ(Qt.Cursor(), crDefault);
  ASSERT_TRUE(std::filesystem::exists(Temp.File("img_2.tif")));
  const auto Written = std::filesystem::last_write_time(Temp.File("img_2.tif"));
  EXPECT_EQ(App->ReadIniInteger("Config", "FilterIndex", 0), 1);

  // The TIFF filter picked this time is what the settings keep; typed
  // names are taken whatever the filter shows.
  QString Question;
  {
    TDialogScript SecondRun({Pick("\"IMG_1.JPG\" \"img_2.jpg\"", 1, 2),
                             [](QWidget& Dialog) { qobject_cast<QDialog*>(&Dialog)->accept(); },
                             [&](QWidget& Dialog) {
                               auto* Box = qobject_cast<QMessageBox*>(&Dialog);
                               ASSERT_NE(Box, nullptr);
                               EXPECT_EQ(Box->icon(), QMessageBox::Question);
                               EXPECT_EQ(Box->standardButtons(),
                                         QMessageBox::Ok | QMessageBox::Cancel);
                               Question = Box->text();
                               Box->reject();
                             }});
    Click(*Form.Button1);
    EXPECT_EQ(SecondRun.Answered(), 3u);
    EXPECT_EQ(SecondRun.Unexpected(), 0);
  }
  EXPECT_EQ(App->ReadIniInteger("Config", "FilterIndex", 0), 2);
  EXPECT_TRUE(Question.contains("'" + Q(Temp.File("img_2.tif")) + "'")) << Question.toStdString();
  EXPECT_EQ(Form.Info->text(), "SAVING img_2.tif");
  EXPECT_EQ(std::filesystem::last_write_time(Temp.File("img_2.tif")), Written);
  EXPECT_EQ(Qt.Cursor(), crDefault);
  EXPECT_TRUE(Reports.empty()) << Reports.front();
}

} // namespace
