#pragma once
// Driving the window as a person would: clicks delivered through the
// application, and modal dialogs answered one after the other.
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class QPushButton;
class QWidget;

// Press and release in the button's centre, delivered through notify().
void Click(QPushButton& Button);

// Each answer gets the next modal dialog that opens. A dialog beyond the
// script, or one its answer left open, is cancelled and counted, so that a
// wrong run ends instead of waiting for a person.
class TDialogScript {
public:
  using TAnswer = std::function<void(QWidget& Dialog)>;
  explicit TDialogScript(std::vector<TAnswer> Answers);

  size_t Answered() const { return FNext; }
  int Unexpected() const { return FUnexpected; }

private:
  void Look();
  void Cancel(QWidget& Modal);

  std::vector<TAnswer> FAnswers;
  size_t FNext = 0;
  int FUnexpected = 0;
  QPointer<QWidget> FLast;
  QTimer FTimer;
};
