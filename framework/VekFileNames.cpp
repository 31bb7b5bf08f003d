#include "VekFileNames.h"

namespace {

size_t NameStart(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of('/');
  return Slash == std::string::npos ? 0 : Slash + 1;
}

// Position of the extension's dot, or npos when the name part has none.
size_t ExtStart(const std::string& FileName) {
  const size_t Dot = FileName.find_last_of('.');
  return Dot == std::string::npos || Dot < NameStart(FileName) ? std::string::npos : Dot;
}

} // namespace

std::string ExtractFilePath(const std::string& FileName) {
  return FileName.substr(0, NameStart(FileName));
}

std::string ExtractFileName(const std::string& FileName) {
  return FileName.substr(NameStart(FileName));
}

std::string ExtractFileExt(const std::string& FileName) {
  const size_t Dot = ExtStart(FileName);
  return Dot == std::string::npos ? std::string() : FileName.substr(Dot);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Ext) {
  return FileName.substr(0, ExtStart(FileName)) + Ext;
}

std::string FolderOf(const std::string& FileName) {
  const std::string Folder = ExtractFilePath(FileName);
  return Folder.empty() ? "." : Folder;
}
