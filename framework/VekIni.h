#pragma once
// Settings files: [Section] lines and Key=Value lines. Section and key
// names are matched case-insensitively for ASCII letters only; other bytes
// must match exactly. Reads never lock; each write that changes the text
// replaces the file atomically, one that changes nothing leaves it alone;
// writes are serialised against other threads and processes.
#include <cstdint>
#include <string>

// A blank Section or Key (after trimming) returns Default as it is and
// makes a write do nothing. Otherwise the stored value, or Default when the
// file, section or key is missing, is cut to 2047 bytes (never inside a
// UTF-8 sequence) and trimmed.
std::string IniReadStr(const std::string& FileName, const std::string& Section,
                       const std::string& Key, const std::string& Default);
// The stored value as an unsigned 32-bit number: optional "+" or "-" (two's
// complement), "0x"/"0X" for hexadecimal, digits up to the first other
// character, modulo 2^32. A missing or empty value gives the low 32 bits of
// Default; both widened without sign.
int64_t IniReadInt(const std::string& FileName, const std::string& Section, const std::string& Key,
                   int64_t Default);
// Line breaks in Value become blanks; names that could not be read back
// (a key with "=" or starting with "[", ";" or "#", a section with "]",
// either with a line break) are not written.
void IniWriteStr(const std::string& FileName, const std::string& Section, const std::string& Key,
                 const std::string& Value);
void IniWriteInt(const std::string& FileName, const std::string& Section, const std::string& Key,
                 int64_t Value);
