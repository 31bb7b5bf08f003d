#include "Unit2.h"

#include "PictureView.h"

TFormMain2::TFormMain2(TRunFunction Run, QWidget* Parent) : TFormMain(std::move(Run), Parent) {
  setObjectName("FormMain2");
  setWindowTitle("Velmora");
  Picture->SetPicture(QImage(":/splash2.jpg"));
}
