#pragma once
// Short progress lines on standard output: seen only when the output is redirected, never logged.
#include <string>

void PrintLine(const std::string& text);
