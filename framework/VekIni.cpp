// The settings store: [Section] lines and Key=Value lines in a text file of
// our own format, read and written at every call. Names are trimmed and
// matched case-insensitively (ASCII letters); the first matching section
// and, inside it, the first matching key count. Lines beginning with ";"
// or "#" are comments. Every other line is kept as it is on write.
#include "VekIni.h"

#include "VekConvert.h"
#include "VekIniStore.h"
#include "VekText.h"
#include "VekUpper.h"

#include <optional>
#include <vector>

namespace {

constexpr size_t MaxValueLength = 2047;

char LowerAscii(char Ch) {
  return (Ch >= 'A' && Ch <= 'Z') ? static_cast<char>(Ch + 32) : Ch;
}

bool SameName(const std::string& A, const std::string& B) {
  if (A.size() != B.size())
    return false;
  for (size_t I = 0; I < A.size(); ++I) {
    if (LowerAscii(A[I]) != LowerAscii(B[I]))
      return false;
  }
  return true;
}

bool Blank(const std::string& Name) {
  return Trim(Name).empty();
}

// The name of a section line "[Name]", if Line is one.
std::optional<std::string> SectionOf(const std::string& Line) {
  const std::string T = Trim(Line);
  const size_t Close = T.find(']');
  if (T.empty() || T[0] != '[' || Close == std::string::npos)
    return std::nullopt;
  return Trim(T.substr(1, Close - 1));
}

// Where the "=" of a key line is, if Line is one.
std::optional<size_t> EqualsOf(const std::string& Line) {
  const std::string T = Trim(Line);
  if (T.empty() || T[0] == ';' || T[0] == '#' || T[0] == '[')
    return std::nullopt;
  const size_t Equals = Line.find('=');
  if (Equals == std::string::npos || Blank(Line.substr(0, Equals)))
    return std::nullopt;
  return Equals;
}

// A settings text as lines, each without its line feed; a CR before the
// line feed stays part of the line so that CR LF files keep their ends.
struct TIniText {
  explicit TIniText(const std::string& Content) {
    size_t Start = 0;
    while (Start < Content.size()) {
      size_t End = Content.find('\n', Start);
      if (End == std::string::npos)
        End = Content.size();
      Lines.push_back(Content.substr(Start, End - Start));
      Start = End + 1;
    }
    CrLf = !Lines.empty() && !Lines[0].empty() && Lines[0].back() == '\r';
  }

  std::string Join() const {
    std::string Out;
    for (const std::string& Line : Lines)
      Out += Line + "\n";
    return Out;
  }

  std::string NewLine(const std::string& Text) const { return CrLf ? Text + "\r" : Text; }

  std::vector<std::string> Lines;
  bool CrLf = false;
};

// Where a key is, or where it would go.
struct TKeyPlace {
  bool SectionFound = false;
  std::optional<size_t> KeyLine;
  size_t InsertAt = 0; // behind the section's last non-blank line
};

TKeyPlace FindKey(const TIniText& Text, const std::string& Section, const std::string& Key) {
  const std::string WantedSection = Trim(Section);
  const std::string WantedKey = Trim(Key);
  TKeyPlace Place;
  for (size_t I = 0; I < Text.Lines.size(); ++I) {
    const std::string& Line = Text.Lines[I];
    if (const auto Name = SectionOf(Line)) {
      if (Place.SectionFound)
        break;
      Place.SectionFound = SameName(*Name, WantedSection);
      Place.InsertAt = I + 1;
      continue;
    }
    if (!Place.SectionFound)
      continue;
    if (!Blank(Line))
      Place.InsertAt = I + 1;
    const auto Equals = EqualsOf(Line);
    if (Equals && SameName(Trim(Line.substr(0, *Equals)), WantedKey)) {
      Place.KeyLine = I;
      return Place;
    }
  }
  return Place;
}

// The stored value of Key, trimmed; nothing when file, section or key is missing.
std::optional<std::string> StoredValue(const std::string& FileName, const std::string& Section,
                                       const std::string& Key) {
  std::string Content;
  if (detail::ReadIniFile(FileName, Content) != detail::TIniRead::Read)
    return std::nullopt;
  const TIniText Text(Content);
  const TKeyPlace Place = FindKey(Text, Section, Key);
  if (!Place.KeyLine)
    return std::nullopt;
  const std::string& Line = Text.Lines[*Place.KeyLine];
  return Trim(Line.substr(*EqualsOf(Line) + 1));
}

// Cuts to at most 2047 bytes without leaving half a UTF-8 sequence behind.
std::string CutValue(const std::string& Value) {
  if (Value.size() <= MaxValueLength)
    return Value;
  size_t Length = MaxValueLength;
  while (Length > 0 && (static_cast<unsigned char>(Value[Length]) & 0xC0) == 0x80)
    --Length;
  return Value.substr(0, Length);
}

// The stored number as the platform's integer reader takes it: an optional
// sign, "0x" or "0X" for hexadecimal, digits up to the first other
// character, all modulo 2^32; "-" yields the two's complement.
uint32_t ProfileNumber(const std::string& Value) {
  size_t Pos = 0;
  const bool Negative = Pos < Value.size() && Value[Pos] == '-';
  if (Pos < Value.size() && (Value[Pos] == '-' || Value[Pos] == '+'))
    ++Pos;
  uint32_t Base = 10;
  if (Value.compare(Pos, 2, "0x") == 0 || Value.compare(Pos, 2, "0X") == 0) {
    Base = 16;
    Pos += 2;
  }
  uint32_t Number = 0;
  for (; Pos < Value.size(); ++Pos) {
    const char Ch = LowerAscii(Value[Pos]);
    uint32_t Digit;
    if (Ch >= '0' && Ch <= '9')
      Digit = static_cast<uint32_t>(Ch - '0');
    else if (Base == 16 && Ch >= 'a' && Ch <= 'f')
      Digit = static_cast<uint32_t>(Ch - 'a' + 10);
    else
      break;
    Number = Number * Base + Digit;
  }
  return Negative ? 0u - Number : Number;
}

// Names that could not be read back, or would break the line structure,
// are not written.
bool Storable(const std::string& Section, const std::string& Key) {
  const std::string S = Trim(Section);
  const std::string K = Trim(Key);
  return !S.empty() && !K.empty() && S.find_first_of("]\r\n") == std::string::npos &&
         K.find_first_of("=\r\n") == std::string::npos && K[0] != '[' && K[0] != ';' && K[0] != '#';
}

// A line break inside a value would end its line and start a new one.
std::string OneLine(std::string Value) {
  for (char& Ch : Value) {
    if (Ch == '\r' || Ch == '\n')
      Ch = ' ';
  }
  return Value;
}

void SetValue(std::string& Content, const std::string& Section, const std::string& Key,
              const std::string& Value) {
  TIniText Text(Content);
  const TKeyPlace Place = FindKey(Text, Section, Key);
  const std::string NewValue = OneLine(Value);
  if (Place.KeyLine) {
    // The key keeps its spelling in the file; only the value changes.
    std::string& Line = Text.Lines[*Place.KeyLine];
    const bool CarriageReturn = Line.back() == '\r';
    Line = Line.substr(0, *EqualsOf(Line)) + "=" + NewValue + (CarriageReturn ? "\r" : "");
  } else if (Place.SectionFound) {
    Text.Lines.insert(Text.Lines.begin() + static_cast<std::ptrdiff_t>(Place.InsertAt),
                      Text.NewLine(Trim(Key) + "=" + NewValue));
  } else {
    // Built by appending: GCC 12 warns falsely about "[" + text at -O3.
    std::string Header(1, '[');
    Header.append(Trim(Section)).append(1, ']');
    Text.Lines.push_back(Text.NewLine(Header));
    Text.Lines.push_back(Text.NewLine(Trim(Key) + "=" + NewValue));
  }
  Content = Text.Join();
}

} // namespace

std::string IniReadStr(const std::string& FileName, const std::string& Section,
                       const std::string& Key, const std::string& Default) {
  if (Blank(Section) || Blank(Key))
    return Default;
  return Trim(CutValue(StoredValue(FileName, Section, Key).value_or(Default)));
}

int64_t IniReadInt(const std::string& FileName, const std::string& Section, const std::string& Key,
                   int64_t Default) {
  if (Blank(Section) || Blank(Key))
    return Default;
  const auto Value = StoredValue(FileName, Section, Key);
  // An empty value counts as missing, as with the platform's integer reader.
  if (!Value || Value->empty())
    return static_cast<int64_t>(static_cast<uint32_t>(Default));
  return static_cast<int64_t>(ProfileNumber(*Value));
}

void IniWriteStr(const std::string& FileName, const std::string& Section, const std::string& Key,
                 const std::string& Value) {
  if (!Storable(Section, Key))
    return;
  detail::UpdateIniFile(FileName,
                        [&](std::string& Content) { SetValue(Content, Section, Key, Value); });
}

void IniWriteInt(const std::string& FileName, const std::string& Section, const std::string& Key,
                 int64_t Value) {
  IniWriteStr(FileName, Section, Key, std::to_string(Value));
}
