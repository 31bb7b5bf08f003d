#pragma once
// A run host that answers from a script and records every call in order.
#include "RunHost.h"
#include "VekPlatform.h"

#include <deque>
#include <string>
#include <vector>

struct TOpenAnswer {
  bool Ok = true;
  std::vector<std::string> Files;
  int FilterIndex = 1;
};

class TScriptedHost : public TRunHost {
public:
  bool OpenFiles(const std::string& InitialDir, int& FilterIndex,
                 std::vector<std::string>& Files) override {
    Log.push_back("open " + InitialDir + " " + std::to_string(FilterIndex));
    TOpenAnswer Answer = OpenAnswers.empty() ? TOpenAnswer{false, {}, 1} : OpenAnswers.front();
    if (!OpenAnswers.empty())
      OpenAnswers.pop_front();
    Files = Answer.Files;
    FilterIndex = Answer.FilterIndex;
    return Answer.Ok;
  }
  bool SaveFile(const std::string& InitialDir, const std::string& Proposal,
                std::string& Chosen) override {
    Log.push_back("save " + InitialDir + " " + Proposal);
    Chosen = SaveAnswer;
    return SaveOk;
  }
  void ShowMessage(const std::string& Text) override { Log.push_back("message " + Text); }
  bool Confirm(const std::string& Text) override {
    Log.push_back("confirm " + Text);
    return ConfirmAnswer;
  }
  void SetInfo(const std::string& Text) override {
    Info = Text;
    Log.push_back("info " + Text);
  }
  void StartFile(int Index, int Count, const std::string& FileName) override {
    Log.push_back("start " + std::to_string(Index) + "/" + std::to_string(Count) + " " + FileName);
  }
  void ShowPicture(const TBitmap24& Bitmap) override {
    PictureWidth = Bitmap.Width();
    PictureHeight = Bitmap.Height();
    Picture.assign(Bitmap.Row(0), Bitmap.Row(0) + Bitmap.Stride() * Bitmap.Height());
    Log.push_back("picture " + std::to_string(Bitmap.Width()) + "x" +
                  std::to_string(Bitmap.Height()));
  }
  void RepaintPicture() override {}
  TSaveLayout Layout() override { return SaveLayout; }
  TTiffCompression Compression() override { return SaveCompression; }
  bool FloatResult() const override { return Float; }
  void Warn(const std::string& Text) override { Warnings.push_back(Text); }
  int Cursor() override { return CurrentCursor; }
  void SetCursor(int Id) override {
    CurrentCursor = Id;
    Log.push_back("cursor " + std::to_string(Id));
  }

  // The lines of Log that begin with Prefix.
  std::vector<std::string> Calls(const std::string& Prefix) const {
    std::vector<std::string> Result;
    for (const std::string& Line : Log)
      if (Line.rfind(Prefix, 0) == 0)
        Result.push_back(Line);
    return Result;
  }

  std::deque<TOpenAnswer> OpenAnswers;
  bool SaveOk = true;
  std::string SaveAnswer;
  bool ConfirmAnswer = true;
  TSaveLayout SaveLayout = slTiles;
  TTiffCompression SaveCompression = tcNone;
  bool Float = false;
  std::vector<std::string> Warnings;

  std::vector<std::string> Log;
  std::string Info;
  int CurrentCursor = crDefault;
  int PictureWidth = 0;
  int PictureHeight = 0;
  std::vector<uint8_t> Picture;
};
