#pragma once
// Text scanning, splitting and replacing. Texts hold UTF-8 bytes;
// positions are 1-based, 0 meaning "not found".
#include <string>

std::string SafeCopy(const std::string& Text, int Start, int Count);
std::string HeadStr(const std::string& Text, int N);
std::string Trim(const std::string& Text);
std::string TrimUpper(const std::string& Text);
int InStr(const std::string& Text, const std::string& Sub, int Start);
int CharInStr(const std::string& Text, char Ch, int Start);
bool HasChar(const std::string& Text, char Ch);
void GetParam(std::string& Text, const std::string& Delimiter, std::string& Field);
std::string ReplaceAll(const std::string& Text, const std::string& Old, const std::string& New,
                       int Start);
std::string IfStr(bool Flag, const std::string& WhenTrue, const std::string& WhenFalse);
