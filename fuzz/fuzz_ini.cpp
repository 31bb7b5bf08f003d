// The settings store on a fuzzed file. Input: a section line, a key line,
// a value line, then the file's content. Reads must not fail; a write
// must keep every other line of the file, in order, and must be readable
// back when the names and the value are plain.
#include "FuzzSupport.h"
#include "TempDir.h"
#include "VekUtil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string TakeLine(std::string& Rest) {
  const size_t End = Rest.find('\n');
  const std::string Line = Rest.substr(0, End);
  Rest = End == std::string::npos ? "" : Rest.substr(End + 1);
  return Line;
}

// The file's lines; a missing line feed at the end makes no line of its own.
std::vector<std::string> LinesOf(const std::string& Content) {
  std::vector<std::string> Lines;
  std::string Rest = Content;
  while (!Rest.empty())
    Lines.push_back(TakeLine(Rest));
  return Lines;
}

// Old kept in New: equal, or one line changed in place, or one line
// inserted, or two lines (a new section and its key) appended.
bool OtherLinesKept(const std::vector<std::string>& Old, const std::vector<std::string>& New) {
  if (New.size() == Old.size()) {
    size_t Changed = 0;
    for (size_t I = 0; I < Old.size(); ++I)
      Changed += Old[I] != New[I] ? 1 : 0;
    return Changed <= 1;
  }
  if (New.size() == Old.size() + 1) {
    size_t I = 0;
    while (I < Old.size() && Old[I] == New[I])
      ++I;
    for (; I < Old.size(); ++I)
      if (Old[I] != New[I + 1])
        return false;
    return true;
  }
  return New.size() == Old.size() + 2 && std::equal(Old.begin(), Old.end(), New.begin());
}

bool Plain(const std::string& Text, size_t MaxLength) {
  if (Text.empty() || Text.size() > MaxLength)
    return false;
  for (const char Ch : Text) {
    const bool Alnum =
        (Ch >= 'a' && Ch <= 'z') || (Ch >= 'A' && Ch <= 'Z') || (Ch >= '0' && Ch <= '9');
    if (!Alnum && Ch != '_' && Ch != '.')
      return false;
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  detail::AbortOnReport();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string Rest(reinterpret_cast<const char*>(Data), Size);
  const std::string Section = TakeLine(Rest);
  const std::string Key = TakeLine(Rest);
  const std::string Value = TakeLine(Rest);
  const std::string FileName =
      detail::WriteFuzzFile("VadevEzuzeva.ini", Data + (Size - Rest.size()), Rest.size());
  const std::string Sentinel = "\x01missing";
  (void)IniReadStr(FileName, Section, Key, Sentinel);
  (void)IniReadInt(FileName, Section, Key, -1);

  IniWriteStr(FileName, Section, Key, Value);
  const std::string After = ReadBytes(FileName);
  detail::Require(OtherLinesKept(LinesOf(Rest), LinesOf(After)), "a write lost or moved a line");
  if (Plain(Section, 64) && Plain(Key, 64) && (Value.empty() || Plain(Value, 1000)))
    detail::Require(IniReadStr(FileName, Section, Key, Sentinel) == Value,
                    "a plain value does not read back");
  else if (After != Rest)
    detail::Require(IniReadStr(FileName, Section, Key, Sentinel) != Sentinel,
                    "a written key cannot be found");
  return 0;
}
