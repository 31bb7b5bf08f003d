// Numbers and tolerant conversions: text to Boolean, text to integer,
// date-time to text.
#include "VekConvert.h"

#include "VekReport.h"
#include "VekText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

namespace {

constexpr uint64_t DecimalStop = 922337203685477580ULL; // largest int64 / 10
constexpr uint64_t HexStop = 1152921504606846975ULL;    // 2^60 - 1

int DigitValue(char Ch, int Base) {
  int Value;
  if (Ch >= '0' && Ch <= '9')
    Value = Ch - '0';
  else if (Ch >= 'A' && Ch <= 'F')
    Value = Ch - 'A' + 10;
  else if (Ch >= 'a' && Ch <= 'f')
    Value = Ch - 'a' + 10;
  else
    return -1;
  return Value < Base ? Value : -1;
}

// The magnitude read may exceed the signed range by a little (one more
// digit after the stop limit); such values are held at the nearest end.
int64_t Signed(uint64_t Magnitude, bool Negative) {
  constexpr uint64_t MaxPositive = std::numeric_limits<int64_t>::max();
  if (!Negative)
    return static_cast<int64_t>(std::min(Magnitude, MaxPositive));
  if (Magnitude > MaxPositive)
    return std::numeric_limits<int64_t>::min();
  return -static_cast<int64_t>(Magnitude);
}

std::string Padded(int Value, int Width) {
  std::array<char, 16> Buffer{};
  std::snprintf(Buffer.data(), Buffer.size(), "%0*d", Width, Value);
  return Buffer.data();
}

// The codes FormatStamp knows, longest first where one is a prefix of
// another, with the number of digits each is printed with.
struct TStampCode {
  const char* Code;
  int Width;
  int (*Field)(const std::tm& Local, int Millis);
};

constexpr TStampCode StampCodes[] = {
    {"yyyy", 4, [](const std::tm& L, int) { return L.tm_year + 1900; }},
    {"zzz", 3, [](const std::tm&, int Ms) { return Ms; }},
    {"mm", 2, [](const std::tm& L, int) { return L.tm_mon + 1; }},
    {"dd", 2, [](const std::tm& L, int) { return L.tm_mday; }},
    {"hh", 2, [](const std::tm& L, int) { return L.tm_hour; }},
    {"nn", 2, [](const std::tm& L, int) { return L.tm_min; }},
    {"ss", 2, [](const std::tm& L, int) { return L.tm_sec; }},
};

bool StartsWith(const std::string& Text, size_t Pos, const char* Code) {
  return Text.compare(Pos, std::char_traits<char>::length(Code), Code) == 0;
}

} // namespace

int IMax(int A, int B) {
  return A > B ? A : B;
}

int64_t IPercent(int64_t Value, int64_t Percent) {
  // The product wraps like the 64-bit machine product instead of being
  // undefined; the quotient then always fits the signed range.
  const auto Product =
      static_cast<int64_t>(static_cast<uint64_t>(Value) * static_cast<uint64_t>(Percent));
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(Product) / 100.0));
}

int64_t IAbs(int64_t Value) {
  // The smallest value has no positive counterpart; it is held at the largest.
  if (Value == std::numeric_limits<int64_t>::min())
    return std::numeric_limits<int64_t>::max();
  return Value < 0 ? -Value : Value;
}

bool BVal(const std::string& Text) {
  try {
    const std::string T = TrimUpper(Text);
    for (const char* Word : {"TRUE", "EIN", "ON", "JA", "YES", "WAHR", "J", "Y"}) {
      if (T == Word)
        return true;
    }
    return IVal(T) != 0;
  } catch (...) {
    ReportError("VekUtil.BVal", "");
    return false;
  }
}

int64_t IVal(const std::string& Text) {
  try {
    size_t Pos = 0;
    while (Pos < Text.size() && Text[Pos] == ' ')
      ++Pos;
    bool Negative = false;
    if (Pos < Text.size() && (Text[Pos] == '-' || Text[Pos] == '+')) {
      Negative = Text[Pos] == '-';
      ++Pos;
    }
    int Base = 10;
    if (Pos < Text.size() && (Text[Pos] == '$' || Text[Pos] == 'x' || Text[Pos] == 'X')) {
      Pos += 1;
      Base = 16;
    } else if (StartsWith(Text, Pos, "0x") || StartsWith(Text, Pos, "0X")) {
      Pos += 2;
      Base = 16;
    }
    const uint64_t Stop = Base == 16 ? HexStop : DecimalStop;
    uint64_t Magnitude = 0;
    for (; Pos < Text.size() && Magnitude <= Stop; ++Pos) {
      const int Digit = DigitValue(Text[Pos], Base);
      if (Digit < 0)
        break;
      Magnitude = Magnitude * static_cast<uint64_t>(Base) + static_cast<uint64_t>(Digit);
    }
    return Signed(Magnitude, Negative);
  } catch (...) {
    ReportError("VekUtil.IVal", "");
    return 0;
  }
}

std::string FormatStamp(const std::string& Pattern, TDateTime Value) {
  using namespace std::chrono;
  const auto Seconds = floor<std::chrono::seconds>(Value);
  const auto Millis = duration_cast<milliseconds>(Value - Seconds).count();
  const std::time_t Time = system_clock::to_time_t(Seconds);
  std::tm Local{};
  if (!localtime_r(&Time, &Local))
    return Pattern;

  std::string Out;
  size_t Pos = 0;
  while (Pos < Pattern.size()) {
    const TStampCode* Match = nullptr;
    for (const TStampCode& Code : StampCodes) {
      if (StartsWith(Pattern, Pos, Code.Code)) {
        Match = &Code;
        break;
      }
    }
    if (Match) {
      Out += Padded(Match->Field(Local, static_cast<int>(Millis)), Match->Width);
      Pos += std::char_traits<char>::length(Match->Code);
    } else {
      Out += Pattern[Pos++];
    }
  }
  return Out;
}
