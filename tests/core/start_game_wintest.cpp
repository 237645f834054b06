#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/module_path_win.h"
#include "core/process_values_win.h"
#include "core/start_game_win.h"
#include "core/utf8.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"

namespace {

const char kChildVariable[] = "VANDREL_START_GAME_CHILD";

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Run by StartGameTest in a copy of this executable standing in for launcher.exe. The variable holds the UI
// language code and how many times Play is pressed. The outcome goes to a file beside the copy:
// "phase|status|detail|quit|window". The window is left to the end of the process: under Wine without a window
// manager, hiding or destroying a shown window waits two seconds for one.
TEST(StartGameChild, Run) {
  const char* childCase = std::getenv(kChildVariable);
  if (childCase == nullptr) GTEST_SKIP() << "only runs as a child of StartGameTest";
  char code[8] = {};
  int times = 0;
  ASSERT_EQ(std::sscanf(childCase, "%7s %d", code, &times), 2);
  SelectUiLanguage(code);
  mainWindow = CreateWindowExA(0, "STATIC", "Vandrel", WS_POPUP | WS_VISIBLE, 100, 100, 320, 180, nullptr, nullptr,
                               nullptr, nullptr);
  // Painted and settled, so that only StartGame's own invalidations are left.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 300; Sleep(10)) {
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
  }
  for (int i = 0; i < times; ++i) StartGame();
  const std::string window = GetUpdateRect(mainWindow, nullptr, FALSE) ? "repaint pending" : "painted";
  MSG quit;
  const bool quitPosted = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  ASSERT_TRUE(WriteFileBytes(LauncherDirectory() + "result.txt",
                             std::to_string(static_cast<int>(uiState.phase)) + "|" + WideToUtf8(uiState.statusText) +
                                 "|" + WideToUtf8(uiState.detailText) + "|" +
                                 (quitPosted ? "quit " + std::to_string(quit.wParam) : "no quit") + "|" + window));
}

std::string StandInClient() { return LauncherDirectory() + "qarlokclient.exe"; }

// Each row: the client beside the launcher, the UI language and presses; what the window state says and whether
// a repaint is pending ("{code}": the shell's refusal code, read from the log), and the log lines of one press.
TEST(StartGameTest, OutcomesInTheWindowTheLogAndTheClient) {
  ASSERT_TRUE(FileExists(StandInClient())) << "build the qarlokclient target beside the tests";
  enum Client { Present, Missing, Refused };
  // All started from another current directory; the starting text is painted before the shell call.
  const struct { Client client; const char* childCase; const char* result; const char* outcome; } rows[] = {
      {Present, "en 1", "7|Starting Vandrel||quit 0|painted", "ShellExecute OK, cerrando launcher"},
      {Missing, "en 2", "5|No se encuentra qarlokclient.exe|Press Retry to check again|no quit|repaint pending",
       "qarlokclient.exe NO existe (error 2)"},
      {Refused, "en 2", "3|Could not start the game|Windows devolvi\xC3\xB3 el c\xC3\xB3" "digo {code}. Mira "
                        "launcher_log.txt|no quit|repaint pending", "ShellExecute FALLO: codigo {code}"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.result);
    ScratchDir dir, elsewhere;
    const std::string exe = CopyTestExecutable(dir), client = dir / "qarlokclient.exe";
    ASSERT_FALSE(exe.empty());
    // Windows refuses a folder with the client's name; Wine's shell opens a file browser on it instead. Wine
    // refuses a file that is no program, where Windows may stop at an error box.
    const std::string refused = RunningUnderWine() ? "not a program\r\n" : "/";
    ASSERT_TRUE(row.client == Present ? CopyFileA(StandInClient().c_str(), client.c_str(), FALSE) != FALSE
                                      : PrepareEntry(client, row.client == Missing ? "-" : refused));
    ASSERT_EQ(RunChildTests(exe, "StartGameChild.*", kChildVariable, row.childCase, elsewhere.path()), 0);
    const std::vector<std::string> log = LogMessages(dir / "launcher_log.txt");
    int code = -1;
    if (row.client == Refused && log.size() > 2) std::sscanf(log[2].c_str(), "ShellExecute FALLO: codigo %d", &code);
    const auto withCode = [code](std::string text) {
      const size_t at = text.find("{code}");
      return at == std::string::npos ? text : text.replace(at, 6, std::to_string(code));
    };
    EXPECT_EQ(ReadFileBytes(dir / "result.txt"), withCode(row.result)) << "phase|status|detail|quit|window";
    std::vector<std::string> expectedLog;
    for (int press = row.childCase[3] - '0'; press > 0; --press) {  // the case's second field
      expectedLog.insert(expectedLog.end(), {"Boton Jugar pulsado", "Ruta de qarlokclient: " + client, withCode(row.outcome)});
    }
    EXPECT_EQ(log, expectedLog) << "every press logs both lines again";
    const std::string started = dir / "qarlokclient_started.txt";
    if (row.client == Present) {
      for (int i = 0; i < 300 && ReadFileBytes(started).empty(); ++i) Sleep(50);
      // Started from the launcher's folder, working there, with no arguments.
      EXPECT_EQ(SplitLines(ReadFileBytes(started)), std::vector<std::string>{"cwd=" + dir.path().substr(0, dir.path().size() - 1) + "|cmd="});
      for (int i = 0; i < 200 && IsGameRunning(); ++i) Sleep(50);  // gone before its folder is removed
    } else {
      EXPECT_FALSE(FileExists(started)) << "nothing may start";
    }
  }
}

}  // namespace
