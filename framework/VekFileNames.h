#pragma once
// File name parts: the folder keeps its trailing separator, the extension
// its dot, both taken from the name part only ("a.b/c" has no extension).
#include <string>

std::string ExtractFilePath(const std::string& FileName);
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);
// The extension replaced by Ext; a name without one gets Ext appended.
std::string ChangeFileExt(const std::string& FileName, const std::string& Ext);
// The folder holding FileName as a name to open: "." for a name without
// a folder.
std::string FolderOf(const std::string& FileName);
