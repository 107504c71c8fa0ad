#pragma once
#include <string>

namespace kvdriver {

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

// Writes TEXT as UTF-8 and a line end to standard output or standard error.
void printLine(const std::wstring& text);
void printError(const std::wstring& text);

}  // namespace kvdriver
