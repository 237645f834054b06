#include "core/text_file.h"

#include "core/unique_file.h"

bool ReadTextFile(const std::string& path, std::string& text) {
  UniqueFile file(std::fopen(path.c_str(), "r"));
  if (!file) return false;
  text.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, n);
  return true;
}

bool ReadLine(std::FILE* file, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') return true;
    line += static_cast<char>(c);
  }
  return !line.empty();
}

bool ReadFirstLine(const std::string& path, std::string& line) {
  UniqueFile file(std::fopen(path.c_str(), "r"));
  if (!file) return false;
  ReadLine(file.get(), line);
  return true;
}
