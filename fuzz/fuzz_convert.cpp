// The text functions and conversions on arbitrary bytes, each checked
// against a plain std::string model or a property it must keep. Input:
// a start byte and a count byte (signed), then Text, Sub and New
// separated by line feeds.
#include "FuzzSupport.h"
#include "VekUtil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string TakeLine(std::string& Rest) {
  const size_t End = Rest.find('\n');
  const std::string Line = Rest.substr(0, End);
  Rest = End == std::string::npos ? "" : Rest.substr(End + 1);
  return Line;
}

int Length(const std::string& Text) {
  return static_cast<int>(Text.size());
}

int ModelInStr(const std::string& Text, const std::string& Sub, int Start) {
  Start = std::max(Start, 1);
  if (Sub.empty())
    return Start;
  if (Start > Length(Text))
    return 0;
  const size_t Found = Text.find(Sub, static_cast<size_t>(Start - 1));
  return Found == std::string::npos ? 0 : static_cast<int>(Found) + 1;
}

std::string ModelSafeCopy(const std::string& Text, int Start, int Count) {
  if (Start < 1) {
    Count -= 1 - Start;
    Start = 1;
  }
  if (Start > Length(Text) || Count <= 0)
    return "";
  return Text.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(Count));
}

std::string ModelReplaceAll(const std::string& Text, const std::string& Old, const std::string& New,
                            int Start) {
  if (Old.empty())
    return Text;
  std::string Out;
  int From = 1;
  for (int P = ModelInStr(Text, Old, Start); P > 0; P = ModelInStr(Text, Old, From)) {
    Out += Text.substr(static_cast<size_t>(From - 1), static_cast<size_t>(P - From)) + New;
    From = P + Length(Old);
  }
  return Out + ModelSafeCopy(Text, From, Length(Text));
}

void CheckPositions(const std::string& Text, const std::string& Sub, int Start, int Count) {
  detail::Require(InStr(Text, Sub, Start) == ModelInStr(Text, Sub, Start), "InStr");
  const char Ch = Sub.empty() ? '\0' : Sub[0];
  const int Char = CharInStr(Text, Ch, Start);
  const int Expected = Text.empty() ? 0 : ModelInStr(Text, std::string(1, Ch), Start);
  detail::Require(Char == Expected, "CharInStr");
  detail::Require(SafeCopy(Text, Start, Count) == ModelSafeCopy(Text, Start, Count), "SafeCopy");
}

void CheckSplitting(const std::string& Text, const std::string& Delimiter, const std::string& New,
                    int Start) {
  std::string Rest = Text;
  std::string Field = "stale";
  GetParam(Rest, Delimiter, Field);
  if (Delimiter.empty())
    detail::Require(Field.empty() && Rest == Text, "GetParam with an empty delimiter");
  else if (Field.size() == Text.size())
    detail::Require(Field == Text && Rest.empty(), "GetParam without a delimiter");
  else
    detail::Require(Field + Delimiter + Rest == Text && Field.find(Delimiter) == std::string::npos,
                    "GetParam does not split at the first delimiter");
  detail::Require(ReplaceAll(Text, Delimiter, New, Start) ==
                      ModelReplaceAll(Text, Delimiter, New, Start),
                  "ReplaceAll");
}

void CheckConversions(const std::string& Text) {
  const int64_t Value = IVal(Text);
  detail::Require(IVal(" " + Text) == Value, "IVal does not skip a leading blank");
  const bool Truth = BVal(Text);
  detail::Require(BVal(" " + Text + " ") == Truth, "BVal depends on surrounding blanks");
  if (IVal(Trim(Text)) != 0)
    detail::Require(Truth, "BVal of a non-zero number is false");
  // Numbers beyond the 64-bit range saturate, so only smaller ones negate.
  if (!Text.empty() && Text[0] >= '0' && Text[0] <= '9' && Value != INT64_MAX)
    detail::Require(IVal("-" + Text) == -Value, "IVal of a negated number");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  detail::AbortOnReport();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2)
    return -1;
  const int Start = static_cast<int8_t>(Data[0]);
  const int Count = static_cast<int8_t>(Data[1]);
  std::string Rest(reinterpret_cast<const char*>(Data + 2), Size - 2);
  const std::string Text = TakeLine(Rest);
  const std::string Sub = TakeLine(Rest);
  const std::string New = Rest;
  CheckPositions(Text, Sub, Start, Count);
  CheckSplitting(Text, Sub, New, Start);
  CheckConversions(Text);
  return 0;
}
