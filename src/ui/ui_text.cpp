#include "ui/ui_text.h"

#include <cstring>

#include "core/utf8.h"
#include "ui/ui_text_table.h"

const char* const kUiColumnCodes[kUiLanguageCount] = {
    "es", "en", "fr", "de", "it", "pt", "nl", "pl", "cz", "hu", "ro", "tr", "gr", "ru", "dk", "ae",
};

std::atomic<int> currentUiLanguage{0};

namespace {

struct WideTable {
  std::wstring cells[kUiLanguageCount][kUiTextKeyCount];
};

// Converted once, on first use, and never freed: a worker may still be reading while the
// process exits, so the storage must outlive static destruction.
const WideTable& Wide() {
  static const WideTable* const table = [] {
    WideTable* built = new WideTable;
    for (int column = 0; column < kUiLanguageCount; ++column) {
      for (int key = 0; key < kUiTextKeyCount; ++key) {
        built->cells[column][key] = Utf8ToWide(kUiTextColumns[column][key].text);
      }
    }
    return built;
  }();
  return *table;
}

bool InRange(int column, int key) {
  return column >= 0 && column < kUiLanguageCount && key >= 0 && key < kUiTextKeyCount;
}

// Read once; Spanish should it ever hold something that is not a column.
int CurrentColumn() {
  const int column = currentUiLanguage.load(std::memory_order_relaxed);
  return (column >= 0 && column < kUiLanguageCount) ? column : 0;
}

}  // namespace

int UiColumnForCode(const char* code) {
  if (code == nullptr || code[0] == '\0') return 0;
  for (int column = 0; column < kUiLanguageCount; ++column) {
    if (std::strcmp(code, kUiColumnCodes[column]) == 0) return column;
  }
  return 0;
}

void SelectUiLanguage(const char* code) {
  currentUiLanguage.store(UiColumnForCode(code), std::memory_order_relaxed);
}

const wchar_t* UiTextIn(int column, int key) {
  if (!InRange(column, key)) return L"";
  return Wide().cells[column][key].c_str();
}

const char* UiTextUtf8In(int column, int key) {
  if (!InRange(column, key)) return "";
  return kUiTextColumns[column][key].text;
}

const wchar_t* UiText(int key) {
  return UiTextIn(CurrentColumn(), key);
}

std::string UiTextUtf8(int key) {
  // The cells are kept as UTF-8, which is exactly what converting the wide text would give.
  return UiTextUtf8In(CurrentColumn(), key);
}
