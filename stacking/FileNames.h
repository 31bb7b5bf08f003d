#pragma once
// File name parts as the run uses them: the folder keeps its trailing
// separator, the extension its dot, both taken from the name part only.
#include <string>

std::string ExtractFilePath(const std::string& FileName);
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);
// The extension replaced by Ext; a name without one gets Ext appended.
std::string ChangeFileExt(const std::string& FileName, const std::string& Ext);
