#include "JpegMaker.h"
#include "PictureView.h"
#include "VekApp.h"
#include "WindowSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

QString Q(const std::string& Text) {
  return QString::fromStdString(Text);
}

void WriteExposure(const std::string& FileName, int Width) {
  WriteJpeg(FileName, TJpegPicture::Solid(Width, 2, TJpegKind::Rgb, {200, 40, 10}));
}

// The dialog a script's answer got, which must be a file dialog.
QFileDialog* FileDialog(QWidget& Dialog) {
  auto* File = qobject_cast<QFileDialog*>(&Dialog);
  EXPECT_NE(File, nullptr);
  return File;
}

// The first typed name the run refuses ends it after the files before it,
// whatever the dialog's filter showed; names after it are never reached.
TEST(OpenDialog, TypedNamesOutsideTheFilterReachTheRun) {
  TWindowSession Session;
  WriteExposure(Session.Temp.File("b.jpeg"), 4);
  WriteExposure(Session.Temp.File("c.jpg"), 4);
  int Width = 4;
  for (const QString Typed : {"\"a.jpg\" \"b.jpeg\"", "\"a.jpg\" \"b.jpeg\" \"c.jpg\""}) {
    SCOPED_TRACE(Typed.toStdString());
    // Each run's a.jpg has its own size, so that the preview shows it.
    WriteExposure(Session.Temp.File("a.jpg"), ++Width);
    Session.Reports.clear();
    TDialogScript Run({[&](QWidget& Dialog) {
      QFileDialog* Open = FileDialog(Dialog);
      ASSERT_NE(Open, nullptr);
      EXPECT_TRUE(Open->selectedNameFilter().startsWith("JPEG"));
      EXPECT_EQ(TypeAndEnter(*Open, Typed), 0u);
    }});
    Click(*Session.Form.Button1);
    // No save dialog.
    EXPECT_EQ(Run.Answered(), 1u);
    EXPECT_EQ(Run.Unexpected(), 0);
    ASSERT_EQ(Session.Reports.size(), 1u);
    EXPECT_NE(
        Session.Reports[0].find("Unbekannter Filetyp '.jpeg'\r\nBearbeitung wird abgebrochen"),
        std::string::npos)
        << Session.Reports[0];
    EXPECT_EQ(Session.Form.Info->text(), "Processing b.jpeg");
    EXPECT_EQ(Session.Form.Picture->Picture().size(), QSize(Width, 2));
    EXPECT_EQ(App->ReadIniInteger("Config", "FilterIndex", 0), 1);
  }
}

// A missing name is named in a message; nothing starts, the dialog stays
// and takes the names once they are right. The save dialog takes a typed
// name as typed too.
TEST(OpenDialog, AMissingNameIsRefusedAndTheDialogStaysOpen) {
  TWindowSession Session;
  WriteExposure(Session.Temp.File("a.jpg"), 4);
  WriteExposure(Session.Temp.File("c.jpg"), 4);
  QString Warning;
  bool StayedOpen = false;
  QString Proposal;
  auto ReadWarning = [&Warning](QWidget& Dialog) {
    auto* Box = qobject_cast<QMessageBox*>(&Dialog);
    ASSERT_NE(Box, nullptr);
    Warning = Box->text();
    Box->accept();
  };
  TDialogScript Run(
      {[&](QWidget& Dialog) {
         QFileDialog* Open = FileDialog(Dialog);
         ASSERT_NE(Open, nullptr);
         EXPECT_EQ(TypeAndEnter(*Open, "\"a.jpg\" \"c.jpg\" \"nosuch.jpg\"", {ReadWarning}), 1u);
         StayedOpen = Open->isVisible();
         EXPECT_TRUE(Session.Form.Info->text().isEmpty());
         EXPECT_EQ(Session.Form.Picture->Picture().size(), QSize(760, 430));
         EXPECT_EQ(App->ReadIniInteger("Config", "FilterIndex", 0), 0);
         // Open stays on for a name of no file shown, so that it can say
         // what is wrong.
         QLineEdit* Box = FocusFileNameBox(*Open);
         auto* Buttons = Open->findChild<QDialogButtonBox*>("buttonBox");
         ASSERT_TRUE(Box && Buttons);
         Box->setText("nosuch.jpg");
         EXPECT_TRUE(Buttons->button(QDialogButtonBox::Open)->isEnabled());
         EXPECT_EQ(TypeAndEnter(*Open, "\"a.jpg\" \"c.jpg\""), 0u);
       },
       [&](QWidget& Dialog) {
         QFileDialog* Save = FileDialog(Dialog);
         ASSERT_NE(Save, nullptr);
         Proposal = Save->selectedFiles().value(0);
         EXPECT_EQ(TypeAndEnter(*Save, "result"), 0u);
       }});
  Click(*Session.Form.Button1);
  EXPECT_EQ(Run.Answered(), 2u);
  EXPECT_EQ(Run.Unexpected(), 0);
  EXPECT_TRUE(StayedOpen);
  EXPECT_TRUE(Warning.contains("nosuch.jpg")) << Warning.toStdString();
  EXPECT_EQ(Proposal, Session.File("c.tif"));
  EXPECT_TRUE(Session.Reports.empty()) << Session.Reports.front();
  EXPECT_EQ(Session.Form.Info->text(), "READY");
  EXPECT_TRUE(std::filesystem::exists(Session.Temp.File("result.tif")));
}

// Sets an environment variable while it lives.
class TEnvironment {
public:
  TEnvironment(const char* Name, const std::string& Value) : FName(Name) {
    if (qEnvironmentVariableIsSet(Name))
      FBefore = qgetenv(Name);
    qputenv(Name, QByteArray::fromStdString(Value));
  }
  ~TEnvironment() {
    if (FBefore)
      qputenv(FName, *FBefore);
    else
      qunsetenv(FName);
  }
  TEnvironment(const TEnvironment&) = delete;
  TEnvironment& operator=(const TEnvironment&) = delete;

private:
  const char* FName;
  std::optional<QByteArray> FBefore;
};

// Makes a folder the current one while it lives.
class TCurrentFolder {
public:
  explicit TCurrentFolder(const QString& Folder) : FBefore(QDir::currentPath()) {
    QDir::setCurrent(Folder);
  }
  ~TCurrentFolder() { QDir::setCurrent(FBefore); }
  TCurrentFolder(const TCurrentFolder&) = delete;
  TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
  QString FBefore;
};

TEST(OpenDialog, StartsWhereThePlatformsDialogWouldWithoutARememberedFolder) {
  TWindowSession Session;
  TTempDir Home;
  TTempDir Work;
  const QString Pictures = Q(Home.File("Pictures"));
  const QString Current = Q(Work.Path().string());
  std::filesystem::create_directory(Home.File("Pictures"));
  WriteBytes(Work.File("x.tif"), "");
  TEnvironment SetHome("HOME", Home.Path().string());
  // No folders of the runner's own desktop.
  TEnvironment NoUserDirs("XDG_CONFIG_HOME", Home.File(".config"));
  TCurrentFolder InWork(Current);

  // A run with no settings at all. The person goes to the exposures'
  // folder, picks one file and is asked for two: the dialog opens again
  // where they were.
  App->SetIniFile(Home.File("VadevEzuzeva.ini"));
  WriteExposure(Session.Temp.File("a.jpg"), 4);
  QString First;
  QString Again;
  {
    TDialogScript Run({[&](QWidget& Dialog) {
                         QFileDialog* Open = FileDialog(Dialog);
                         ASSERT_NE(Open, nullptr);
                         First = Open->directory().absolutePath();
                         // A folder's name opens the folder.
                         EXPECT_EQ(TypeAndEnter(*Open, Session.Folder()), 0u);
                         EXPECT_EQ(Open->directory().absolutePath(), Session.Folder());
                         EXPECT_EQ(TypeAndEnter(*Open, "a.jpg"), 0u);
                       },
                       [](QWidget& Dialog) { qobject_cast<QDialog*>(&Dialog)->accept(); },
                       [&](QWidget& Dialog) {
                         QFileDialog* Open = FileDialog(Dialog);
                         ASSERT_NE(Open, nullptr);
                         Again = Open->directory().absolutePath();
                         Open->reject();
                       }});
    Click(*Session.Form.Button1);
    EXPECT_EQ(Run.Answered(), 3u);
    EXPECT_EQ(Run.Unexpected(), 0);
  }
  EXPECT_EQ(First, Pictures);
  EXPECT_EQ(Again, Session.Folder());
  EXPECT_TRUE(Session.Form.Info->text().isEmpty());

  // Each further case in a window that has not shown a dialog yet.
  auto StartFor = [](const std::string& Remembered, int FilterIndex) {
    TFormMain2 Form;
    QString Start;
    TDialogScript Run({[&Start](QWidget& Dialog) {
      QFileDialog* Open = FileDialog(Dialog);
      ASSERT_NE(Open, nullptr);
      Start = Open->directory().absolutePath();
      Open->reject();
    }});
    std::vector<std::string> Files;
    EXPECT_FALSE(Form.OpenFiles(Remembered, FilterIndex, Files));
    return Start;
  };
  // Files of the selected type keep the dialog in the current folder.
  EXPECT_EQ(StartFor("", 2), Current);
  EXPECT_EQ(StartFor(Session.Temp.File("gone/"), 1), Pictures);
  EXPECT_EQ(StartFor(Session.Temp.Path().string() + "/", 1), Session.Folder());
  WriteBytes(Work.File("IMG_1.JPG"), "");
  EXPECT_EQ(StartFor("", 1), Current);
  EXPECT_EQ(StartFor(Session.Temp.File("gone/"), 1), Current);
  // Without a pictures folder, home.
  std::filesystem::remove(Home.File("Pictures"));
  std::filesystem::remove(Work.File("IMG_1.JPG"));
  EXPECT_EQ(StartFor("", 1), Q(Home.Path().string()));
}

// Every cell of the detail view shows whole: its column is as wide as the
// view wants for it, and the column lies inside the view.
bool ColumnsWhole(QFileDialog& Dialog) {
  auto* Tree = Dialog.findChild<QTreeView*>("treeView");
  if (!Tree)
    return false;
  const QModelIndex Root = Tree->rootIndex();
  const QHeaderView* Header = Tree->header();
  for (int Column = 0; Column < Header->count(); ++Column) {
    const int Right = Header->sectionViewportPosition(Column) + Header->sectionSize(Column);
    if (Right > Tree->viewport()->width())
      return false;
    for (int Row = 0; Row < Tree->model()->rowCount(Root); ++Row) {
      if (Tree->sizeHintForIndex(Tree->model()->index(Row, Column, Root)).width() >
          Header->sectionSize(Column))
        return false;
    }
  }
  return Tree->model()->rowCount(Root) > 0;
}

// Waits inside the dialog until its folder is listed and every column
// shows whole; false if that never happens.
bool WaitForColumnsWhole(QFileDialog& Dialog) {
  Dialog.setViewMode(QFileDialog::Detail);
  QDeadlineTimer Deadline(10000);
  while (!ColumnsWhole(Dialog) && !Deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return ColumnsWhole(Dialog);
}

TEST(OpenDialog, DialogsOpenWideEnoughForTheirColumnsAndStayResizable) {
  TWindowSession Session;
  for (const char* Name : {"a.jpg", "an_exposure_with_a_longer_name_0001.jpg"}) {
    WriteBytes(Session.Temp.File(Name), std::string(150000, 'x'));
    WriteBytes(Session.Temp.File(std::filesystem::path(Name).replace_extension(".tif").string()),
               "x");
  }
  bool Whole = false;
  bool Resizable = false;
  auto Measure = [&](QWidget& Dialog) {
    QFileDialog* File = FileDialog(Dialog);
    ASSERT_NE(File, nullptr);
    Whole = WaitForColumnsWhole(*File);
    Resizable = File->isSizeGripEnabled() && File->maximumSize().width() > File->width();
    File->reject();
  };
  {
    TDialogScript Look({Measure});
    std::vector<std::string> Files;
    int FilterIndex = 1;
    Session.Form.OpenFiles(Session.Temp.Path().string() + "/", FilterIndex, Files);
  }
  EXPECT_TRUE(Whole);
  EXPECT_TRUE(Resizable);
  Whole = Resizable = false;
  {
    TDialogScript Look({Measure});
    std::string Chosen;
    Session.Form.SaveFile(Session.Temp.Path().string() + "/", Session.Temp.File("a.tif"), Chosen);
  }
  EXPECT_TRUE(Whole);
  EXPECT_TRUE(Resizable);
}

} // namespace
