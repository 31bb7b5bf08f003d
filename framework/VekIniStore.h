#pragma once
// The settings store's file side: reading a settings file whole and
// replacing it atomically under a lock shared by threads and processes.
#include <functional>
#include <string>

namespace detail {

enum class TIniRead { Missing, Read, Failed };

// Reads the whole settings file into Content. Missing: no such file (Content
// empty); Failed: it exists but is no readable regular file.
TIniRead ReadIniFile(const std::string& FileName, std::string& Content);

// Read-modify-write of one settings file: under the lock, reads it, lets
// Change edit the text and replaces the file by the result through a
// sibling temporary file, unless the text came out as it was: then the
// file is left alone. Any failure leaves the original untouched; nothing
// is reported.
void UpdateIniFile(const std::string& FileName,
                   const std::function<void(std::string& Content)>& Change);

} // namespace detail
