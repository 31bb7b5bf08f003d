#pragma once
// The framework's toolbox of free functions: text scanning and splitting,
// tolerant conversions, whole-file helpers, settings files by file name and
// a few platform wrappers. Texts hold UTF-8 bytes; positions are 1-based,
// 0 meaning "not found".
#include <chrono>
#include <cstdint>
#include <string>

using TDateTime = std::chrono::system_clock::time_point;

// Numbers.
int IMax(int A, int B);
int64_t IPercent(int64_t Value, int64_t Percent);
int64_t IAbs(int64_t Value);

// Texts.
std::string SafeCopy(const std::string& Text, int Start, int Count);
std::string HeadStr(const std::string& Text, int N);
std::string UpperStr(const std::string& Text);
std::string Trim(const std::string& Text);
std::string TrimUpper(const std::string& Text);
int InStr(const std::string& Text, const std::string& Sub, int Start);
int CharInStr(const std::string& Text, char Ch, int Start);
bool HasChar(const std::string& Text, char Ch);
void GetParam(std::string& Text, const std::string& Delimiter, std::string& Field);
std::string ReplaceAll(const std::string& Text, const std::string& Old, const std::string& New,
                       int Start);
std::string IfStr(bool Flag, const std::string& WhenTrue, const std::string& WhenFalse);

// Conversions.
bool BVal(const std::string& Text);
int64_t IVal(const std::string& Text);
std::string FormatStamp(const std::string& Pattern, TDateTime Value);

// Files and folders.
bool FileReadable(const std::string& FileName);
int64_t FileSizeOf(const std::string& FileName);
// Reads at most FileSizeOf bytes and returns only the bytes actually read.
std::string ReadFileText(const std::string& FileName, const std::string& Default);
void WriteFileText(const std::string& FileName, const std::string& Text);
void CutFileToTail(const std::string& FileName, int64_t Keep);
bool DirExists(const std::string& Path);
void MakeDirPath(const std::string& Path);

// Settings files: [Section] lines and Key=Value lines. Section and key
// names are matched case-insensitively for ASCII letters only; other bytes
// must match exactly. Reads never lock; each write replaces the file
// atomically and is serialised against other threads and processes.

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

// Platform and environment.
void PlayBeep();
void ProcessPending();
std::string MachineName();
bool DevEnvRunning();
bool IsAdmin();

// Result of the privilege test at start-up; nothing else in the program
// reads it.
extern bool AdminFlag;

// The unit's start-up: works out the privilege flag and the
// development-environment flag once, before a second thread exists.
void InitVekUtil();

namespace detail {
// ReadFileText's reading step: the file opened for reading, at most Size
// bytes read; Default when it cannot be opened.
std::string ReadFileBytes(const std::string& FileName, int64_t Size, const std::string& Default);
} // namespace detail
