#include "core/start_game_win.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "core/log.h"
#include "core/module_path_win.h"
#include "core/process_values_win.h"
#include "core/unique_handle_win.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"

namespace {

const char kClientName[] = "qarlokclient.exe";

// A null handle would make InvalidateRect repaint every window on the desktop.
void InvalidateMainWindow() {
  if (mainWindow) InvalidateRect(mainWindow, nullptr, FALSE);
}

bool IsClientName(const wchar_t* path) {
  std::wstring name(path);
  const size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  if (name.size() != sizeof kClientName - 1) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    wchar_t c = name[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != static_cast<wchar_t>(kClientName[i])) return false;
  }
  return true;
}

}  // namespace

void StartGame() {
  const std::string directory = LauncherDirectory();
  const std::string client = directory + kClientName;
  Log("Boton Jugar pulsado");
  Log("Ruta de qarlokclient: %s", client.c_str());

  if (GetFileAttributesA(client.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Log("qarlokclient.exe NO existe (error %lu)", GetLastError());
    uiState.phase = UiPhase::UpdateFailed;
    // Fixed Spanish text in every interface language.
    uiState.statusText = L"No se encuentra qarlokclient.exe";
    uiState.detailText = UiText(TXT_PRESS_RETRY);
    InvalidateMainWindow();
    return;
  }

  uiState.phase = UiPhase::StartingGame;
  uiState.statusText = UiText(TXT_STARTING_GAME);
  uiState.detailText.clear();
  // The shell call can block for a while: the starting text must be on screen before it.
  if (mainWindow) {
    InvalidateRect(mainWindow, nullptr, FALSE);
    UpdateWindow(mainWindow);
  }

  const int result = static_cast<int>(reinterpret_cast<INT_PTR>(
      ShellExecuteA(mainWindow, "open", client.c_str(), nullptr, directory.c_str(), SW_SHOWNORMAL)));
  if (result > 32) {
    Log("ShellExecute OK, cerrando launcher");
    // The quit message belongs to the thread, not to the window, so it is posted with or without one.
    PostQuitMessage(0);
    return;
  }

  Log("ShellExecute FALLO: codigo %d", result);
  uiState.phase = UiPhase::Ready;  // the main button offers Play again
  uiState.statusText = UiText(TXT_GAME_START_FAILED);
  // Fixed Spanish text in every interface language.
  uiState.detailText = L"Windows devolvi\u00F3 el c\u00F3digo " + std::to_wstring(result) + L". Mira launcher_log.txt";
  InvalidateMainWindow();
}

bool IsGameRunning() {
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (IsClientName(entry.szExeFile)) return true;
  }
  return false;
}
