#include "core/settings_ini.h"

namespace {
bool IsTrailingJunk(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }
}  // namespace

std::optional<std::string> UpdateUrlFromIniLine(std::string line) {
  // Notepad starts a file saved as UTF-8 with a byte order mark.
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  while (!line.empty() && IsTrailingJunk(line.back())) line.pop_back();
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  if (line[first] == '#' || line[first] == ';') return std::nullopt;
  line.erase(0, first);
  if (line.compare(0, 4, "url=") != 0) return std::nullopt;
  std::string value = line.substr(4);
  while (!value.empty() && value.back() == '/') value.pop_back();
  if (value.empty()) return std::nullopt;
  return value;
}

bool IsHttpsUrl(const std::string& url) { return url.compare(0, 8, "https://") == 0; }
