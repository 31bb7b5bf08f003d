#pragma once
// The window the program creates: the main window with the product's
// caption and title picture.
#include "Unit1.h"

class TFormMain2 : public TFormMain {
  Q_OBJECT

public:
  explicit TFormMain2(TRunFunction Run = {}, QWidget* Parent = nullptr);
};
