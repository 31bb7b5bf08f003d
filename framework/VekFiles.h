#pragma once
// Whole-file helpers and folders. They report nothing: a file that cannot
// be opened yields 0, the default or no action.
#include <cstdint>
#include <string>

bool FileReadable(const std::string& FileName);
int64_t FileSizeOf(const std::string& FileName);
// Reads at most FileSizeOf bytes and returns only the bytes actually read.
std::string ReadFileText(const std::string& FileName, const std::string& Default);
void WriteFileText(const std::string& FileName, const std::string& Text);
void CutFileToTail(const std::string& FileName, int64_t Keep);
bool DirExists(const std::string& Path);
void MakeDirPath(const std::string& Path);

namespace detail {
// ReadFileText's reading step: the file opened for reading, at most Size
// bytes read; Default when it cannot be opened.
std::string ReadFileBytes(const std::string& FileName, int64_t Size, const std::string& Default);
} // namespace detail
