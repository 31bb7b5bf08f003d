#include "Unit1.h"

#include "FileDialogs.h"
#include "PictureView.h"
#include "RawExtensions.h"
#include "StackingRun.h"
#include "StartFolder.h"
#include "VekApp.h"
#include "VekExceptions.h"
#include "VekPlatform.h"
#include "VelmoraApplication.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// "*.[dD][nN][gG] *.[cC][rR]2 ..." for the camera raw extensions.
QString RawPatterns() {
  QStringList Patterns;
  for (const std::string_view Extension : RawExtensions) {
    QString Pattern = "*";
    for (const char C : Extension) {
      const QChar Letter = QLatin1Char(C);
      if (Letter.isLetter())
        Pattern += QString("[%1%2]").arg(Letter.toLower(), Letter.toUpper());
      else
        Pattern += Letter;
    }
    Patterns << Pattern;
  }
  return Patterns.join(' ');
}

// Qt matches file patterns case-sensitively on Linux; the brackets let
// IMG_1.JPG through as well as img_2.jpg. The pattern itself stays hidden
// behind the filter's name. Filter index 1 is JPEG, 2 is TIFF, 3 camera raw.
const QStringList OpenFilterNames{"JPEG", "TIFF", "Raw"};
const QStringList OpenPatterns{"*.[jJ][pP][gG]", "*.[tT][iI][fF]", RawPatterns()};
const QStringList OpenFilters{"JPEG (" + OpenPatterns.at(0) + ")",
                              "TIFF (" + OpenPatterns.at(1) + ")",
                              "Raw (" + OpenPatterns.at(2) + ")"};
const QString SaveFilter = "*.tif (" + OpenPatterns.at(1) + ")";

// The dialog reports the selected filter by its name alone while the
// patterns are hidden, in full otherwise.
int OpenFilterIndex(const QString& Selected) {
  for (qsizetype I = 0; I < OpenFilters.size(); ++I) {
    if (Selected == OpenFilters.at(I) || Selected == OpenFilterNames.at(I)) {
      return static_cast<int>(I) + 1;
    }
  }
  return 1;
}

QFont LabelFont() {
  QFont Font("Arial");
  Font.setBold(true);
  Font.setPixelSize(16);
  return Font;
}

// Room kept free between the status label and the check box, and right
// of the check box.
constexpr int AlignGap = 8;

QString Caption() {
  return QGuiApplication::applicationDisplayName();
}

} // namespace

TFormMain::TFormMain(TRunFunction Run, QWidget* Parent)
    : QWidget(Parent), FRun(Run ? std::move(Run) : TRunFunction(RunStacking)) {
  setObjectName("FormMain");
  setWindowTitle("Vadev Ezuzeva");
  setWindowIcon(QIcon(":/velmora.png"));
  QPalette White = palette();
  White.setColor(QPalette::Window, Qt::white);
  setPalette(White);
  setAutoFillBackground(true);

  // Panel and status bar in the button face colour, framing the white
  // picture area.
  QPalette Face = palette();
  Face.setColor(QPalette::Window, Face.color(QPalette::Button));

  auto* Panel = new QFrame(this);
  Panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1 = Panel;
  Panel1->setObjectName("Panel1");
  Panel1->setFixedHeight(33);
  Panel1->setPalette(Face);
  Panel1->setAutoFillBackground(true);

  Button1 = new QPushButton("Start", Panel1);
  Button1->setObjectName("Button1");
  Button1->setGeometry(8, 4, 75, 25);
  Button1->setFont(LabelFont());
  connect(Button1, &QPushButton::clicked, this, &TFormMain::Button1Click);

  Info = new QLabel("Ready", Panel1);
  Info->setObjectName("Info");
  Info->setGeometry(96, 6, 49, 19);
  Info->setFont(LabelFont());
  QPalette Red = Info->palette();
  Red.setColor(QPalette::WindowText, Qt::red);
  Info->setPalette(Red);
  Info->setAutoFillBackground(false);

  AlignBox = new QCheckBox("Align frames", Panel1);
  AlignBox->setObjectName("AlignBox");
  AlignBox->setFocusPolicy(Qt::TabFocus);
  AlignBox->adjustSize();
  // Only the user's click is remembered, not the state read at start.
  connect(AlignBox, &QCheckBox::clicked, this,
          [](bool Checked) { App->WriteIniInteger("Config", "Align", Checked ? 1 : 0); });
  Panel1->installEventFilter(this);

  Picture = new TPictureView(this);
  Picture->setObjectName("Picture");
  Picture->SetPicture(QImage(":/splash.jpg"));

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setFixedHeight(15);
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setPalette(Face);
  StatusBar1->setAutoFillBackground(true);

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(0);
  Layout->addWidget(Panel1);
  Layout->addWidget(Picture, 1);
  Layout->addWidget(StatusBar1);

  resize(831, 600);
  move(328, 267);
  FormCreate();
}

void TFormMain::FormCreate() {
  Info->setText(QString());
}

void TFormMain::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  // The settings file is known once the window is shown; a window made
  // without the framework (some tests) has none.
  if (App)
    AlignBox->setChecked(App->ReadIniInteger("Config", "Align", 0) == 1);
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Panel1 && Event->type() == QEvent::Resize)
    AlignBox->move(Panel1->width() - AlignBox->width() - AlignGap,
                   (Panel1->height() - AlignBox->height()) / 2);
  return QWidget::eventFilter(Watched, Event);
}

bool TFormMain::Align() const {
  return AlignBox->isChecked();
}

void TFormMain::Button1Click() {
  TVelmoraApplication::Guarded(Button1, [this] { FRun(*this); });
}

bool TFormMain::OpenFiles(const std::string& InitialDir, int& FilterIndex,
                          std::vector<std::string>& Files) {
  const bool Known = FilterIndex >= 1 && FilterIndex <= OpenFilters.size();
  const int Shown = Known ? FilterIndex - 1 : 0;
  // With no folder remembered, the dialog opens again where it was left,
  // as the platform's own dialog does; after "pick two" for instance.
  TOpenDialog OpenDialog(this, OpenStartFolder({QString::fromStdString(InitialDir), FOpenFolder},
                                               OpenPatterns.at(Shown)));
  OpenDialog.setObjectName("OpenDialog");
  OpenDialog.setDefaultSuffix("jpg");
  OpenDialog.setNameFilters(OpenFilters);
  OpenDialog.selectNameFilter(OpenFilters.at(Shown));
  const bool Accepted = OpenDialog.exec() == QDialog::Accepted;
  FOpenFolder = OpenDialog.directory().absolutePath();
  if (!Accepted) {
    return false;
  }
  FilterIndex = OpenFilterIndex(OpenDialog.selectedNameFilter());
  Files.clear();
  for (const QString& File : OpenDialog.Files()) {
    Files.push_back(File.toStdString());
  }
  return true;
}

bool TFormMain::SaveFile(const std::string& InitialDir, const std::string& Proposal,
                         std::string& Chosen) {
  TFileDialog SaveDialog(this, QString::fromStdString(InitialDir));
  SaveDialog.setObjectName("SaveDialog");
  // The run asks before it replaces a file and adds ".tif" itself.
  SaveDialog.setOption(QFileDialog::DontConfirmOverwrite);
  SaveDialog.setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog.setFileMode(QFileDialog::AnyFile);
  SaveDialog.setNameFilter(SaveFilter);
  SaveDialog.selectFile(QFileInfo(QString::fromStdString(Proposal)).fileName());
  if (SaveDialog.exec() != QDialog::Accepted || SaveDialog.selectedFiles().isEmpty()) {
    return false;
  }
  Chosen = SaveDialog.selectedFiles().first().toStdString();
  return true;
}

void TFormMain::ShowMessage(const std::string& Text) {
  QMessageBox::information(this, Caption(), QString::fromStdString(Text));
}

bool TFormMain::Confirm(const std::string& Text) {
  QMessageBox Question(QMessageBox::Question, Caption(), QString::fromStdString(Text),
                       QMessageBox::Ok | QMessageBox::Cancel, this);
  return Question.exec() == QMessageBox::Ok;
}

void TFormMain::SetInfo(const std::string& Text) {
  // The label is transparent: where a longer text stood, the panel has to
  // be painted again too.
  const QRect Before = Info->geometry();
  Info->setText(QString::fromStdString(Text));
  Info->adjustSize();
  // A long text stops short of the check box.
  Info->resize(std::min(Info->width(), AlignBox->x() - AlignGap - Info->x()), Info->height());
  Panel1->repaint(Before.united(Info->geometry()));
}

void TFormMain::ShowPicture(const TBitmap24& Bitmap) {
  const int Width = Bitmap.Width();
  const int Height = Bitmap.Height();
  if (Width <= 0 || Height <= 0) {
    Picture->SetPicture(QImage());
    Picture->repaint();
    return;
  }
  // The rows are B,G,R bytes, which Qt reads as they are. They go into the
  // memory of the picture shown before when its size fits: a fresh image
  // per file costs more than the copy itself.
  QImage Copy = Picture->TakePicture();
  if (Copy.size() != QSize(Width, Height) || Copy.format() != QImage::Format_BGR888) {
    QImage Fresh(Width, Height, QImage::Format_BGR888);
    if (Fresh.isNull()) {
      // The picture shown so far stays.
      Picture->SetPicture(Copy);
      throw EOutOfMemory();
    }
    Copy = std::move(Fresh);
  }
  const size_t RowBytes = static_cast<size_t>(Width) * 3;
  for (int Y = 0; Y < Height; ++Y)
    std::memcpy(Copy.scanLine(Y), Bitmap.Row(Y), RowBytes);
  Picture->SetPicture(Copy);
  Picture->repaint();
}

void TFormMain::RepaintPicture() {
  Picture->repaint();
}

int TFormMain::Cursor() {
  return Platform().Cursor();
}

void TFormMain::SetCursor(int Id) {
  Platform().SetCursor(Id);
}
