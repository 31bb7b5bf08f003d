// Unicode-aware upper-casing of UTF-8 text without a toolkit: each code
// point goes through towupper_l under a UTF-8 locale. Bytes that do not
// form a valid UTF-8 sequence pass through unchanged.

#include "VekUpper.h"

#include <cwctype>
#include <locale.h>
#include <memory>
#include <optional>
#include <wctype.h>

namespace {

struct TLocaleFree {
  void operator()(locale_t Locale) const { freelocale(Locale); }
};
using TLocale = std::unique_ptr<std::remove_pointer_t<locale_t>, TLocaleFree>;

// The C.UTF-8 locale, made once; null when the system has none, in which
// case only ASCII letters are converted.
locale_t Utf8Locale() {
  static const TLocale Locale{newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))};
  return Locale.get();
}

bool IsContinuation(unsigned char Byte) {
  return (Byte & 0xC0) == 0x80;
}

// Decodes the sequence at Text[Pos]; on success advances Pos past it.
// Overlong forms, surrogates and values beyond U+10FFFF are invalid.
std::optional<char32_t> Decode(const std::string& Text, size_t& Pos) {
  const auto Lead = static_cast<unsigned char>(Text[Pos]);
  if (Lead < 0x80) {
    ++Pos;
    return Lead;
  }
  // A multi-byte form: which lead bytes start it (Mask, Pattern), how many
  // continuation bytes follow, and the smallest value that needs it.
  struct TForm {
    unsigned char Mask, Pattern;
    size_t Count;
    char32_t Minimum;
  };
  static constexpr TForm Forms[] = {
      {0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};
  const TForm* Form = nullptr;
  for (const TForm& Candidate : Forms) {
    if ((Lead & Candidate.Mask) == Candidate.Pattern)
      Form = &Candidate;
  }
  if (!Form)
    return std::nullopt;
  const size_t Count = Form->Count;
  char32_t Value = Lead & static_cast<unsigned char>(~Form->Mask);
  if (Text.size() - Pos <= Count)
    return std::nullopt;
  for (size_t I = 1; I <= Count; ++I) {
    const auto Byte = static_cast<unsigned char>(Text[Pos + I]);
    if (!IsContinuation(Byte))
      return std::nullopt;
    Value = (Value << 6) | (Byte & 0x3F);
  }
  if (Value < Form->Minimum || Value > 0x10FFFF || (Value >= 0xD800 && Value <= 0xDFFF))
    return std::nullopt;
  Pos += Count + 1;
  return Value;
}

void Encode(char32_t Value, std::string& Out) {
  if (Value < 0x80) {
    Out += static_cast<char>(Value);
  } else if (Value < 0x800) {
    Out += static_cast<char>(0xC0 | (Value >> 6));
    Out += static_cast<char>(0x80 | (Value & 0x3F));
  } else if (Value < 0x10000) {
    Out += static_cast<char>(0xE0 | (Value >> 12));
    Out += static_cast<char>(0x80 | ((Value >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Value & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Value >> 18));
    Out += static_cast<char>(0x80 | ((Value >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Value >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Value & 0x3F));
  }
}

char32_t Upper(char32_t Value) {
  if (locale_t Locale = Utf8Locale()) {
    const wint_t Result = towupper_l(static_cast<wint_t>(Value), Locale);
    // A mapping to an invalid code point would not re-encode; keep the original.
    if (Result <= 0x10FFFF && !(Result >= 0xD800 && Result <= 0xDFFF))
      return static_cast<char32_t>(Result);
    return Value;
  }
  return (Value >= 'a' && Value <= 'z') ? Value - ('a' - 'A') : Value;
}

} // namespace

std::string UpperStr(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size());
  size_t Pos = 0;
  while (Pos < Text.size()) {
    if (const auto Value = Decode(Text, Pos)) {
      Encode(Upper(*Value), Out);
    } else {
      Out += Text[Pos];
      ++Pos;
    }
  }
  return Out;
}
