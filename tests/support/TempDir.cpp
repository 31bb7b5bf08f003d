#include "TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

TTempDir::TTempDir() {
  std::string Pattern = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (!mkdtemp(Pattern.data()))
    throw std::runtime_error("cannot create a temporary folder");
  FPath = Pattern;
}

TTempDir::~TTempDir() {
  std::error_code Ignored;
  std::filesystem::remove_all(FPath, Ignored);
}

std::vector<std::string> TTempDir::Names() const {
  std::vector<std::string> Result;
  for (const auto& Entry : std::filesystem::directory_iterator(FPath))
    Result.push_back(Entry.path().filename().string());
  std::sort(Result.begin(), Result.end());
  return Result;
}

void WriteBytes(const std::string& FileName, const std::string& Bytes) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string ReadBytes(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  std::ostringstream All;
  All << In.rdbuf();
  return All.str();
}
