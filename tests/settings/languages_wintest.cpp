#include <windows.h>

#include <gtest/gtest.h>

#include "core/module_path_win.h"
#include "settings/languages.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"

namespace {

// The player picks a language in the list: the window switches at once and locale.cfg, in the current directory
// (the launcher's), is written for the client, keeping the client's number of a readable first line. A file that
// cannot be written still switches the window; an index outside the table does nothing at all.
TEST(ChangeLanguage, SwitchesTheWindowAndWritesLocaleFile) {
  const struct { const char* before; int index; const char* after; const char* column; int language; const char* log; } rows[] = {
      {"-", 2, "10002 1252 de\r\n", "de", 2, "Idioma cambiado a de (codepage 1252)"},
      {"10022 1250 pl\r\n", 14, "10022 1251 ru\r\n", "ru", 14, "Idioma cambiado a ru (codepage 1251)"},
      {"10022 1250\r\npl\r\n", 15, "10002 1256 ae\r\n", "ae", 15, "Idioma cambiado a ae (codepage 1256)"},
      {"7 1256 ae\r\n", 0, "7 1250 cz\r\n", "cz", 0, "Idioma cambiado a cz (codepage 1250)"},
      {"7 1256 ae\r\n", 12, "7 1254 tr\r\n", "tr", 12, "Idioma cambiado a tr (codepage 1254)"},
      {"/", 5, "/", "fr", 5, "No se ha podido escribir locale.cfg (error 5)"},
      {"777 1256 ae\r\n", 16, "777 1256 ae\r\n", "es", 3, nullptr},
      {"-", -1, "-", "es", 3, nullptr},
  };
  char previous[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  const std::string logPath = LauncherDirectory() + "launcher_log.txt";
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.before) + " then language " + std::to_string(row.index));
    ScratchDir dir;
    ASSERT_TRUE(PrepareEntry(dir / "locale.cfg", row.before));
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    DeleteFileA(logPath.c_str());
    uiState.currentLanguage = 3;
    currentUiLanguage = 0;
    ChangeLanguage(row.index);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(uiState.currentLanguage, row.language);
    EXPECT_STREQ(kUiColumnCodes[currentUiLanguage], row.column) << "the window's texts";
    EXPECT_EQ(ReadFileBytes(dir / "locale.cfg"), row.after[0] == '-' || row.after[0] == '/' ? "" : row.after);
    EXPECT_EQ(LogMessages(logPath), row.log ? std::vector<std::string>{row.log} : std::vector<std::string>{});
  }
  uiState = UiState();
  currentUiLanguage = 0;
}

}  // namespace
