#pragma once
// Reading the launcher's small text files in text mode (CR LF arrives as LF). Portable: C streams only.
#include <cstdio>
#include <string>

// The whole file; false when it cannot be opened.
bool ReadTextFile(const std::string& path, std::string& text);

// The next line of any length, without its line feed; false at the end of the file.
bool ReadLine(std::FILE* file, std::string& line);

// The first line (up to its line feed, or all of a file without one); false when the file cannot be opened.
bool ReadFirstLine(const std::string& path, std::string& line);
