#pragma once
// The languages offered to the player and the client's locale.cfg. Portable: the file is read and
// written in languages_win.cpp.
#include <cstdint>
#include <optional>
#include <string>

struct Language {
  const char* code;         // the client's own two-letter code ("cz", "dk", "gr", "ae" are not ISO codes)
  int32_t codePage;         // Windows ANSI code page the client needs for it
  const wchar_t* nativeName;  // the language's name in itself
};

constexpr int kLanguageCount = 16;

// The row index is the language index everywhere, and the cell of the flag sprite.
inline constexpr Language LanguageTable[kLanguageCount] = {
    {"cz", 1250, L"\u010Ce\u0161tina"},
    {"dk", 1252, L"Dansk"},
    {"de", 1252, L"Deutsch"},
    {"en", 1252, L"English"},
    {"es", 1252, L"Espa\u00F1ol"},
    {"fr", 1252, L"Fran\u00E7ais"},
    {"it", 1252, L"Italiano"},
    {"hu", 1250, L"Magyar"},
    {"nl", 1252, L"Nederlands"},
    {"pl", 1250, L"Polski"},
    {"pt", 1252, L"Portugu\u00EAs"},
    {"ro", 1250, L"Rom\u00E2n\u0103"},
    {"tr", 1254, L"T\u00FCrk\u00E7e"},
    {"gr", 1253, L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC"},
    {"ru", 1251, L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439"},
    {"ae", 1256, L"\u0627\u0644\u0639\u0631\u0628\u064A\u0629"},
};

// Index of the first row whose code equals code ignoring ASCII case; -1 when none does.
int FindLanguageByCode(const std::string& code);

// The first number of locale.cfg belongs to the client; this is what it gets when no readable file has one.
constexpr int32_t kDefaultLocaleFirstNumber = 10002;
constexpr size_t kMaxLocaleCodeLength = 127;
// The reader looks at no more than this much of the first line.
constexpr size_t kMaxLocaleLineLength = 254;

struct LocaleLine {
  int32_t firstNumber;
  int32_t codePage;
  std::string code;  // at most kMaxLocaleCodeLength characters
};

// Two numbers and a word separated by white space, the word cut to kMaxLocaleCodeLength characters;
// nothing unless all three are there.
std::optional<LocaleLine> ParseLocaleLine(const std::string& line);

// The line (without its line end) that records the language: the first number of existingLine when
// that line is readable, otherwise the default, then the language's code page and code.
// Empty for an index outside the table.
std::string NewLocaleLine(const std::string& existingLine, int languageIndex);

// The file half, built for Windows only (languages_win.cpp).

// The first line of the file parsed; nothing when the file cannot be opened, is empty or is malformed.
std::optional<LocaleLine> ReadLocaleFile(const std::string& path);

// Creates or truncates the file with the line for the language. False for an index outside the table
// (the file is left alone) and when the file cannot be opened or written.
bool WriteLocaleFile(const std::string& path, int languageIndex);

// The player's choice from the language list: sets the window state's currentLanguage, switches the
// window's texts and writes locale.cfg in the launcher's directory, logging the outcome. The window's
// language changes even when the file cannot be written. An index outside the table does nothing.
void ChangeLanguage(int languageIndex);
