#pragma once
// A fresh folder below the system's temporary folder, removed with
// everything in it when the object goes.
#include <filesystem>
#include <string>
#include <vector>

class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // Full path of a name inside the folder.
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }
  // The names of the folder's entries, sorted: what a failed or killed
  // write left behind shows up here.
  std::vector<std::string> Names() const;

private:
  std::filesystem::path FPath;
};

// Writes Bytes to FileName, replacing it.
void WriteBytes(const std::string& FileName, const std::string& Bytes);
// The whole file, or an empty text when it cannot be read.
std::string ReadBytes(const std::string& FileName);
