#include <windows.h>

#include <gtest/gtest.h>

#include "core/module_path_win.h"
#include "settings/languages.h"
#include "support/scratch_dir_win.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"

namespace {

// ChangeLanguage writes locale.cfg in the current directory, which is the launcher's; the tests
// point it at a scratch folder and put back the window's language afterwards.
class ChangeLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, previousDirectory_);
    savedUiLanguage_ = currentUiLanguage;
    savedLanguage_ = uiState.currentLanguage;
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.path().c_str()));
    logSize_ = ReadFileBytes(LogPath()).size();
  }
  void TearDown() override {
    SetCurrentDirectoryA(previousDirectory_);
    currentUiLanguage = savedUiLanguage_;
    uiState.currentLanguage = savedLanguage_;
  }
  static std::string LogPath() { return LauncherDirectory() + "launcher_log.txt"; }
  std::string NewLogText() const {
    const std::string log = ReadFileBytes(LogPath());
    return log.size() > logSize_ ? log.substr(logSize_) : std::string();
  }
  std::string UiCode() const { return kUiColumnCodes[currentUiLanguage]; }

  ScratchDir dir_;
  char previousDirectory_[MAX_PATH + 1] = {};
  int savedUiLanguage_ = 0;
  int32_t savedLanguage_ = -1;
  size_t logSize_ = 0;
};

TEST_F(ChangeLanguageTest, WritesLocaleFileAndSwitchesTheWindow) {
  uiState.currentLanguage = -1;
  ChangeLanguage(2);
  EXPECT_EQ(uiState.currentLanguage, 2);
  EXPECT_EQ(UiCode(), "de");
  EXPECT_EQ(ReadFileBytes(dir_ / "locale.cfg"), "10002 1252 de\r\n");
  EXPECT_NE(NewLogText().find("] Idioma cambiado a de (codepage 1252)\r\n"), std::string::npos);

  // The client's own number survives; the code page follows the language.
  ASSERT_TRUE(WriteFileBytes(dir_ / "locale.cfg", "10022 1250 pl\r\n"));
  ChangeLanguage(14);
  EXPECT_EQ(uiState.currentLanguage, 14);
  EXPECT_EQ(UiCode(), "ru");
  EXPECT_EQ(ReadFileBytes(dir_ / "locale.cfg"), "10022 1251 ru\r\n");
}

TEST_F(ChangeLanguageTest, UnwritableFileStillSwitchesTheWindow) {
  ASSERT_TRUE(CreateDirectoryA((dir_ / "locale.cfg").c_str(), nullptr));
  uiState.currentLanguage = 4;
  ChangeLanguage(5);
  EXPECT_EQ(uiState.currentLanguage, 5);
  EXPECT_EQ(UiCode(), "fr");
  EXPECT_NE(NewLogText().find("] No se ha podido escribir locale.cfg (error "), std::string::npos);
}

TEST_F(ChangeLanguageTest, IndexOutsideTheTableDoesNothing) {
  uiState.currentLanguage = 3;
  currentUiLanguage = 0;
  ChangeLanguage(16);
  ChangeLanguage(-1);
  EXPECT_EQ(uiState.currentLanguage, 3);
  EXPECT_EQ(currentUiLanguage, 0);
  EXPECT_FALSE(FileExists(dir_ / "locale.cfg"));
  EXPECT_EQ(NewLogText(), "");
}

// The line rules are tested on their own; these check what the file half adds: the first line
// only, missing and empty files, and the write's line end.
TEST(LocaleFile, ReadsTheFirstLineAndWritesOne) {
  ScratchDir dir;
  const std::string path = dir / "locale.cfg";
  EXPECT_FALSE(ReadLocaleFile(path)) << "missing";
  ASSERT_TRUE(WriteFileBytes(path, ""));
  EXPECT_FALSE(ReadLocaleFile(path)) << "empty";
  ASSERT_TRUE(WriteFileBytes(path, "10022 1250\r\npl\r\n"));
  EXPECT_FALSE(ReadLocaleFile(path)) << "the code on the second line";

  ASSERT_TRUE(WriteFileBytes(path, "1 2 " + std::string(300, 'c') + "\r\n"));
  const auto line = ReadLocaleFile(path);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->firstNumber, 1);
  EXPECT_EQ(line->codePage, 2);
  EXPECT_EQ(line->code, std::string(127, 'c'));

  ASSERT_TRUE(WriteFileBytes(path, "777 1256 ae\r\n"));
  EXPECT_FALSE(WriteLocaleFile(path, 16));
  EXPECT_EQ(ReadFileBytes(path), "777 1256 ae\r\n");
  ASSERT_TRUE(WriteLocaleFile(path, 0));
  EXPECT_EQ(ReadFileBytes(path), "777 1250 cz\r\n");
}

}  // namespace
