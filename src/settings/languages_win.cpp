#include <windows.h>

#include <cstdio>

#include "core/log.h"
#include "core/unique_file.h"
#include "settings/languages.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"

namespace {

// Empty when the file cannot be opened or holds nothing.
std::string ReadFirstLine(const std::string& path) {
  UniqueFile file(std::fopen(path.c_str(), "r"));
  if (!file) return std::string();
  char buffer[kMaxLocaleLineLength + 1];
  if (!std::fgets(buffer, sizeof buffer, file.get())) return std::string();
  return buffer;
}

}  // namespace

std::optional<LocaleLine> ReadLocaleFile(const std::string& path) { return ParseLocaleLine(ReadFirstLine(path)); }

bool WriteLocaleFile(const std::string& path, int languageIndex) {
  const std::string line = NewLocaleLine(ReadFirstLine(path), languageIndex);
  if (line.empty()) return false;
  UniqueFile file(std::fopen(path.c_str(), "w"));
  if (!file) return false;
  const int written = std::fprintf(file.get(), "%s\n", line.c_str());
  // The line is buffered until the close, so a full disk is only reported there.
  return std::fclose(file.release()) == 0 && written > 0;
}

void ChangeLanguage(int languageIndex) {
  if (languageIndex < 0 || languageIndex >= kLanguageCount) return;
  const Language& language = LanguageTable[languageIndex];
  uiState.currentLanguage = languageIndex;
  SelectUiLanguage(language.code);
  if (WriteLocaleFile("locale.cfg", languageIndex)) {
    Log("Idioma cambiado a %s (codepage %d)", language.code, static_cast<int>(language.codePage));
  } else {
    Log("No se ha podido escribir locale.cfg (error %lu)", GetLastError());
  }
}
