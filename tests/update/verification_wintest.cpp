// The verification run in-process against the test update server: what it finds, remembers, logs and reports.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/launcher_app.h"
#include "core/module_path_win.h"
#include "core/unique_handle_win.h"
#include "support/server_test_win.h"
#include "ui/ui_text.h"
#include "update/messages.h"

namespace {

const std::string kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";  // SHA-256 of "abc"

std::vector<std::string> seen;  // the texts, "% n" for progress
LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UM_STATUS || message == UM_DETAIL) seen.push_back(reinterpret_cast<const char*>(lParam));
  if (message == UM_PROGRESS) seen.push_back("% " + std::to_string(lParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

// Missing, changed, locked and unchanged files and the running program, checked on several threads: everything
// must come out as one thread checking them in path order gives it.
TEST_F(ServerTest, VerificationRunGivesWhatOneThreadInPathOrderGives) {
  std::vector<std::string> listed = {"a/igual.pak", "b/cambiado.pak", "c/bloqueado.pak"};
  for (int i = 100; i < 205; ++i) listed.push_back("d/falta_" + std::to_string(i) + ".pak");
  listed.push_back(RunningLauncherName());  // listed with a hash it does not have: never checked
  listed.push_back("z/ultimo.pak");
  std::string manifest = "{\"version\": \"1.0\", \"files\": {";
  for (const std::string& path : listed) manifest += "\"" + path + "\": {\"hash\": \"" + kAbc + "\", \"tamano\": 3},";
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/latest.txt", "1.0"));
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/1.0/manifest.json", manifest + "}}"));
  for (const char* folder : {"a", "b", "c", "z"}) CreateDirectoryA(folder, nullptr);
  ASSERT_TRUE(WriteFileBytes("a\\igual.pak", "abc") && WriteFileBytes("b\\cambiado.pak", "") &&
              WriteFileBytes("c\\bloqueado.pak", "abc") && WriteFileBytes("z\\ultimo.pak", "abc"));
  UniqueKernelHandle game(CreateFileA("c\\bloqueado.pak", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));  // held open for writing, as a running game does

  SelectUiLanguage("es");
  LauncherApp app(MakeMessageWindow("VerificationRunTest", Record));
  app.updateUrl = SiteUrl();
  app.selfUpdateChecked = app.fullVerification = true;
  app.VerifyGameFiles();

  EXPECT_EQ(app.pendingFiles, std::vector<std::string>(listed.begin() + 1, listed.begin() + 108));
  const std::vector<std::string> cache = SplitLines(ReadFileBytes("verificacion.cache"));
  ASSERT_EQ(cache.size(), 5u) << "the readable files only";
  std::vector<std::string> log = LogMessages();
  ASSERT_EQ(log.size(), 103u);  // after the line about the default address
  EXPECT_EQ(log[1].rfind("Verificacion completa: 110 archivos en manifest, 107 faltantes o diferentes (109 leidos", 0), 0u);
  EXPECT_EQ(log[2] + " " + log[101], "  FALTA O DIFIERE: b/cambiado.pak   FALTA O DIFIERE: d/falta_197.pak");
  EXPECT_EQ(log[102], "  ... y otros 7 archivos que faltan o difieren") << "the log names 100 files, counts the rest";

  // Every progress report names its own file, in listing order, and the last file ends at 100 %.
  std::size_t at = std::find(seen.begin(), seen.end(), "Comprobando los archivos del juego") - seen.begin() + 1;
  int reported = 0;
  for (; at + 2 < seen.size(); at += 3) {
    const int k = std::stoi(seen[at + 2]);
    ASSERT_GT(k, reported) << seen[at + 2];
    reported = k;
    EXPECT_EQ(seen[at] + " " + seen[at + 1], "% " + std::to_string(k * 100 / 110) + " Comprobando archivos \xC2\xB7 " +
                                                 listed[k - 1]);
    EXPECT_EQ(seen[at + 2], std::to_string(k) + " de 110 archivos");
  }
  EXPECT_EQ(reported, 110);

  // Three days later, quick: a file whose size changed behind an unchanged time is read again, and the time of
  // the last full run stays, so the weekly full run still comes.
  FILETIME written;
  UniqueKernelHandle igual(CreateFileA("a\\igual.pak", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  DWORD bytes = 0;
  ASSERT_TRUE(GetFileTime(igual.get(), nullptr, nullptr, &written) && WriteFile(igual.get(), "abcd", 4, &bytes, nullptr) &&
              SetFileTime(igual.get(), nullptr, nullptr, &written));
  igual.reset();
  const std::string lastFull = std::to_string(std::stoll(cache[1]) - 3 * 86400);
  const std::string entries = ReadFileBytes("verificacion.cache").substr(cache[0].size() + cache[1].size() + 4);
  ASSERT_TRUE(WriteFileBytes("verificacion.cache", "VANDREL-CACHE 1\r\n" + lastFull + "\r\n" + entries));
  app.fullVerification = false;
  app.VerifyGameFiles();
  EXPECT_EQ(app.pendingFiles.front(), "a/igual.pak") << "a file whose size changed was trusted by its date";
  EXPECT_EQ(SplitLines(ReadFileBytes("verificacion.cache"))[1], lastFull) << "a quick run renewed the last full run";
  log = LogMessages();
  EXPECT_EQ(log[103].rfind("Verificacion rapida: 110 archivos en manifest, 108 faltantes o diferentes (107 leidos, 2 "
                           "por fecha", 0), 0u) << log[103];
}

}  // namespace
