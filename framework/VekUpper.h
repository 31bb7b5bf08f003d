#pragma once
// Unicode-aware upper-casing of UTF-8 text.
#include <string>

std::string UpperStr(const std::string& Text);
