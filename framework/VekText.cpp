// Text scanning, splitting and replacing. Positions are 1-based, 0 means
// "not found"; texts are byte strings.
#include "VekText.h"

#include "VekReport.h"
#include "VekUpper.h"

#include <algorithm>
#include <climits>

namespace {

// Texts longer than INT_MAX bytes cannot be addressed by int positions;
// their length is capped so that position arithmetic never overflows.
int Len(const std::string& Text) {
  return static_cast<int>(std::min<size_t>(Text.size(), INT_MAX - 1));
}

bool IsBlankOrControl(char Ch) {
  return static_cast<unsigned char>(Ch) <= 32;
}

// ReplaceAll's buffer: grows to the larger of twice its length and twice
// the length it needs, so that long replacements cost few reallocations.
class TGrowingBuffer {
public:
  explicit TGrowingBuffer(size_t InitialLength) : FBuffer(InitialLength, '\0') {}

  void Append(const char* Data, size_t Count) {
    if (FBuffer.size() < FUsed + Count + 1)
      FBuffer.resize(std::max(2 * FBuffer.size(), 2 * (FUsed + Count + 1)));
    std::copy(Data, Data + Count, FBuffer.begin() + static_cast<std::ptrdiff_t>(FUsed));
    FUsed += Count;
  }

  std::string TakeText() {
    FBuffer.resize(FUsed);
    return std::move(FBuffer);
  }

private:
  std::string FBuffer;
  size_t FUsed = 0;
};

} // namespace

std::string SafeCopy(const std::string& Text, int Start, int Count) {
  if (Start < 1) {
    // Count - (1 - Start) without overflow for very negative Start.
    const int64_t Reduced = static_cast<int64_t>(Count) - (1 - static_cast<int64_t>(Start));
    Count = static_cast<int>(std::max<int64_t>(Reduced, INT_MIN));
    Start = 1;
  }
  if (Start > Len(Text) || Count <= 0)
    return {};
  return Text.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(Count));
}

std::string HeadStr(const std::string& Text, int N) {
  if (N <= 0)
    return {};
  return Text.substr(0, static_cast<size_t>(N));
}

std::string Trim(const std::string& Text) {
  const auto First = std::find_if_not(Text.begin(), Text.end(), IsBlankOrControl);
  const auto Last = std::find_if_not(Text.rbegin(), Text.rend(), IsBlankOrControl).base();
  return First < Last ? std::string(First, Last) : std::string();
}

std::string TrimUpper(const std::string& Text) {
  return UpperStr(Trim(Text));
}

int InStr(const std::string& Text, const std::string& Sub, int Start) {
  try {
    Start = std::max(Start, 1);
    if (Sub.empty())
      return Start;
    const int Length = Len(Text);
    if (Start > Length)
      return 0;
    const int SubLength = Len(Sub);
    for (int P = Start; P <= Length - SubLength + 1; ++P) {
      if (Text[P - 1] == Sub[0] && Text.compare(P - 1, Sub.size(), Sub) == 0)
        return P;
    }
    return 0;
  } catch (...) {
    ReportError("VekUtil.InStr", "");
    return 0;
  }
}

int CharInStr(const std::string& Text, char Ch, int Start) {
  try {
    if (Text.empty() || Start > Len(Text))
      return 0;
    Start = std::max(Start, 1);
    const size_t P = Text.find(Ch, static_cast<size_t>(Start - 1));
    return P == std::string::npos ? 0 : static_cast<int>(P + 1);
  } catch (...) {
    ReportError("VekUtil.CharInStr", "");
    return 0;
  }
}

bool HasChar(const std::string& Text, char Ch) {
  if (Ch == '\0')
    return false;
  for (const char C : Text) {
    if (C == '\0')
      return false;
    if (C == Ch)
      return true;
  }
  return false;
}

void GetParam(std::string& Text, const std::string& Delimiter, std::string& Field) {
  try {
    Field.clear();
    const int P = InStr(Text, Delimiter, 1);
    if (P <= 0) {
      Field = std::move(Text);
      Text.clear();
      return;
    }
    Field = Text.substr(0, static_cast<size_t>(P - 1));
    Text = SafeCopy(Text, P + Len(Delimiter), INT_MAX - 1);
  } catch (...) {
    ReportError("VekUtil.GetParam", "");
  }
}

std::string ReplaceAll(const std::string& Text, const std::string& Old, const std::string& New,
                       int Start) {
  if (Old.empty())
    return Text;
  TGrowingBuffer Buffer(static_cast<size_t>(static_cast<double>(Text.size()) * 1.1));
  int From = 1;
  for (int P = InStr(Text, Old, Start); P > 0; P = InStr(Text, Old, From)) {
    Buffer.Append(Text.data() + From - 1, static_cast<size_t>(P - From));
    Buffer.Append(New.data(), New.size());
    From = P + Len(Old);
  }
  if (From <= Len(Text))
    Buffer.Append(Text.data() + From - 1, Text.size() - static_cast<size_t>(From - 1));
  return Buffer.TakeText();
}

std::string IfStr(bool Flag, const std::string& WhenTrue, const std::string& WhenFalse) {
  return Flag ? WhenTrue : WhenFalse;
}
