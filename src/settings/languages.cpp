#include "settings/languages.h"

#include <cstdio>

#include "core/paths.h"

int FindLanguageByCode(const std::string& code) {
  const std::string lower = ToLowerAscii(code);
  for (int i = 0; i < kLanguageCount; ++i) {
    if (lower == LanguageTable[i].code) return i;
  }
  return -1;
}

std::optional<LocaleLine> ParseLocaleLine(const std::string& line) {
  int firstNumber = 0;
  int codePage = 0;
  char code[kMaxLocaleCodeLength + 1];
  // The width in the format must follow kMaxLocaleCodeLength.
  static_assert(kMaxLocaleCodeLength == 127, "scan width");
  if (std::sscanf(line.c_str(), "%d %d %127s", &firstNumber, &codePage, code) != 3) return std::nullopt;
  return LocaleLine{firstNumber, codePage, code};
}

std::string NewLocaleLine(const std::string& existingLine, int languageIndex) {
  if (languageIndex < 0 || languageIndex >= kLanguageCount) return std::string();
  const auto existing = ParseLocaleLine(existingLine);
  const Language& language = LanguageTable[languageIndex];
  return std::to_string(existing ? existing->firstNumber : kDefaultLocaleFirstNumber) + ' ' +
         std::to_string(language.codePage) + ' ' + language.code;
}
