#pragma once
// Numbers and tolerant conversions: text to Boolean, text to integer,
// date-time to text.
#include <chrono>
#include <cstdint>
#include <string>

using TDateTime = std::chrono::system_clock::time_point;

// Numbers.
int IMax(int A, int B);
int64_t IPercent(int64_t Value, int64_t Percent);
int64_t IAbs(int64_t Value);

// Conversions.
bool BVal(const std::string& Text);
int64_t IVal(const std::string& Text);
std::string FormatStamp(const std::string& Pattern, TDateTime Value);
