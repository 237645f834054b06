#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
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
const char kResultFile[] = "start_game_result.txt";

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// What the child's window saw while StartGame ran.
int paintsDuringCall = 0;
int phaseAtFirstPaint = -1;

LRESULT CALLBACK WatchPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    if (paintsDuringCall++ == 0) phaseAtFirstPaint = static_cast<int>(uiState.phase);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND ShowWatchedWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WatchPaints;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "StartGameWatch";
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(0, "StartGameWatch", "Vandrel", WS_POPUP | WS_VISIBLE, 100, 100, 320, 180, nullptr,
                                     nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return nullptr;
  UpdateWindow(window);
  // Let the first exposure settle, so that only StartGame's own repaints are counted.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 300;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  return window;
}

// Run by StartGameTest in a copy of this executable standing in for launcher.exe. The variable holds
// the UI language code, how many times to press Play, and whether there is a window. The outcome
// goes to a file beside the copy for the parent to check.
TEST(StartGameChild, Run) {
  const char* childCase = std::getenv(kChildVariable);
  if (childCase == nullptr) GTEST_SKIP() << "only runs as a child of StartGameTest";
  char code[8] = {};
  int times = 0;
  int withWindow = 0;
  ASSERT_EQ(std::sscanf(childCase, "%7s %d %d", code, &times, &withWindow), 3);
  SelectUiLanguage(code);
  if (withWindow) {
    mainWindow = ShowWatchedWindow();
    ASSERT_NE(mainWindow, nullptr);
  }
  paintsDuringCall = 0;
  phaseAtFirstPaint = -1;

  for (int i = 0; i < times; ++i) StartGame();

  const bool pendingRepaint = mainWindow && GetUpdateRect(mainWindow, nullptr, FALSE);
  MSG quit;
  const bool quitPosted = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  // The window is left to the end of the process: under Wine without a window manager, hiding or
  // destroying a shown window waits two seconds for the window manager.

  const std::string result = "phase=" + std::to_string(static_cast<int>(uiState.phase)) +
                             "\nstatus=" + WideToUtf8(uiState.statusText) +
                             "\ndetail=" + WideToUtf8(uiState.detailText) +
                             "\nquit=" + (quitPosted ? std::to_string(quit.wParam) : "none") +
                             "\npaints=" + std::to_string(paintsDuringCall) +
                             "\nfirst_paint_phase=" + std::to_string(phaseAtFirstPaint) +
                             "\npending=" + (pendingRepaint ? "1" : "0") + "\n";
  ASSERT_TRUE(WriteFileBytes(LauncherDirectory() + kResultFile, result));
}

std::map<std::string, std::string> ReadResult(const std::string& path) {
  std::map<std::string, std::string> values;
  for (const std::string& line : SplitLines(ReadFileBytes(path))) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::string StandInClient() { return LauncherDirectory() + "qarlokclient.exe"; }

// The stand-in client must be gone before its scratch folder can be removed.
void WaitUntilNoClientRuns() {
  for (int i = 0; i < 200 && IsGameRunning(); ++i) Sleep(50);
}

enum class Client { Present, Missing, Refused };

struct StartCase {
  const char* name;
  Client client;
  const char* uiCode;
  int presses;
  bool window;
  bool otherCurrentDirectory;
  UiPhase phase;
  const wchar_t* status;
  const wchar_t* detail;  // null: the shell's code, checked against the log
};

const StartCase kStartCases[] = {
    {"started, no window, another current directory", Client::Present, "es", 1, false, true, UiPhase::StartingGame,
     L"Abriendo Vandrel", L""},
    {"started with a window", Client::Present, "en", 1, true, false, UiPhase::StartingGame, L"Starting Vandrel", L""},
    {"missing, pressed twice with a window", Client::Missing, "en", 2, true, false, UiPhase::UpdateFailed,
     L"No se encuentra qarlokclient.exe", L"Press Retry to check again"},
    {"refused by the shell, pressed twice", Client::Refused, "en", 2, true, false, UiPhase::Ready,
     L"Could not start the game", nullptr},
};

TEST(StartGameTest, OutcomesInTheWindowTheLogAndTheClient) {
  ASSERT_TRUE(FileExists(StandInClient())) << "build the qarlokclient target beside the tests";
  for (const StartCase& c : kStartCases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    ScratchDir elsewhere;
    const std::string exe = CopyTestExecutable(dir);
    ASSERT_FALSE(exe.empty());
    const std::string client = dir / "qarlokclient.exe";
    if (c.client == Client::Present) {
      ASSERT_TRUE(CopyFileA(StandInClient().c_str(), client.c_str(), FALSE));
    } else if (c.client == Client::Refused) {
      // Windows refuses a folder with the client's name; Wine's shell opens a file browser on it
      // instead. Wine refuses a file that is no program, where Windows may stop at an error box.
      if (RunningUnderWine()) {
        ASSERT_TRUE(WriteFileBytes(client, "not a program\r\n"));
      } else {
        ASSERT_TRUE(CreateDirectoryA(client.c_str(), nullptr));
      }
    }

    const std::string childCase = std::string(c.uiCode) + " " + std::to_string(c.presses) + " " + (c.window ? "1" : "0");
    ASSERT_EQ(RunChildTests(exe, "StartGameChild.*", kChildVariable, childCase,
                            c.otherCurrentDirectory ? elsewhere.path() : dir.path()),
              0);
    std::map<std::string, std::string> result = ReadResult(dir / kResultFile);
    std::vector<std::string> log = LogMessages(dir / "launcher_log.txt");

    // Every press logs the same two lines first, then its outcome.
    std::vector<std::string> expectedLog;
    int shellCode = -1;
    for (int press = 0; press < c.presses; ++press) {
      expectedLog.push_back("Boton Jugar pulsado");
      expectedLog.push_back("Ruta de qarlokclient: " + client);
      if (c.client == Client::Present) expectedLog.push_back("ShellExecute OK, cerrando launcher");
      if (c.client == Client::Missing) expectedLog.push_back("qarlokclient.exe NO existe (error 2)");
      if (c.client == Client::Refused) {
        const size_t line = expectedLog.size();
        ASSERT_LT(line, log.size());
        ASSERT_EQ(std::sscanf(log[line].c_str(), "ShellExecute FALLO: codigo %d", &shellCode), 1) << log[line];
        EXPECT_GE(shellCode, 0);
        EXPECT_LE(shellCode, 32);
        expectedLog.push_back("ShellExecute FALLO: codigo " + std::to_string(shellCode));
      }
    }
    EXPECT_EQ(log, expectedLog);

    EXPECT_EQ(result["phase"], std::to_string(static_cast<int>(c.phase)));
    EXPECT_EQ(Utf8ToWide(result["status"]), c.status);
    const std::wstring detail =
        c.detail ? c.detail : L"Windows devolvi\u00F3 el c\u00F3digo " + std::to_wstring(shellCode) + L". Mira launcher_log.txt";
    EXPECT_EQ(Utf8ToWide(result["detail"]), detail);
    EXPECT_EQ(result["quit"], c.client == Client::Present ? "0" : "none") << "only a started game ends the loop";

    if (c.window) {
      if (c.client == Client::Missing) {
        EXPECT_EQ(result["paints"], "0") << "nothing is forced on screen when nothing is started";
      } else {
        EXPECT_EQ(result["first_paint_phase"], std::to_string(static_cast<int>(UiPhase::StartingGame)))
            << "the starting text must be painted before the shell call";
      }
      if (c.client != Client::Present) {
        EXPECT_EQ(result["pending"], "1") << "the outcome must be repainted";
      }
    }

    const std::string started = dir / "qarlokclient_started.txt";
    if (c.client == Client::Present) {
      for (int i = 0; i < 300 && ReadFileBytes(started).empty(); ++i) Sleep(50);
      std::string folder = dir.path();
      folder.pop_back();
      // Started from the launcher's folder, working there, with no arguments.
      EXPECT_EQ(SplitLines(ReadFileBytes(started)), std::vector<std::string>{"cwd=" + folder + "|cmd="});
      WaitUntilNoClientRuns();
    } else {
      EXPECT_FALSE(FileExists(started));
    }
  }
}

// The settings panel's question. The stand-in client runs from its own scratch folder: only the
// file name counts, not where the client lies.
TEST(IsGameRunningTest, MatchesTheClientsFileNameInAnyLetterCase) {
  ASSERT_TRUE(FileExists(StandInClient())) << "build the qarlokclient target beside the tests";
  ASSERT_FALSE(IsGameRunning()) << "a stand-in client from an earlier test is still running";
  const struct {
    const char* fileName;
    bool running;
  } cases[] = {
      {"QarlokClient.EXE", true},
      {"qarlokclient2.exe", false},
      {"old-qarlokclient.exe", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName);
    ScratchDir dir;
    ASSERT_TRUE(CopyFileA(StandInClient().c_str(), (dir / c.fileName).c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(dir / "qarlokclient_stay.txt", "30"));
    const HANDLE process = StartProcess(dir / c.fileName, "", dir.path());
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(IsGameRunning(), c.running);
    TerminateProcess(process, 0);
    WaitExitCode(process, 10000);
    CloseHandle(process);
    EXPECT_FALSE(IsGameRunning()) << "the client has ended";
  }
}

}  // namespace
