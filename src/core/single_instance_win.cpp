#include "core/single_instance_win.h"

#include <cwchar>

#include "core/command_line.h"
#include "core/console_line.h"
#include "core/log.h"
#include "core/module_path_win.h"
#include "core/single_instance.h"
#include "core/unique_handle_win.h"
#include "core/utf8.h"

namespace {

// One folder, one key, whatever spelling a process was started with: 8.3 short names and letter case
// (folder names are case-insensitive, Cyrillic ones too) are made equal.
std::wstring FolderKey(const std::wstring& folder) {
  std::wstring key = folder;
  const DWORD needed = GetLongPathNameW(folder.c_str(), nullptr, 0);
  if (needed > 0) {
    std::wstring longForm(needed, L'\0');
    const DWORD length = GetLongPathNameW(folder.c_str(), &longForm[0], needed);
    if (length > 0 && length < needed) key = longForm.substr(0, length);
  }
  if (!key.empty()) {
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.c_str(), static_cast<int>(key.size()), &key[0],
                  static_cast<int>(key.size()), nullptr, nullptr, 0);
  }
  return key;
}

std::wstring ProcessFolder(DWORD processId) {
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return std::wstring();
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, &path[0], &length)) return std::wstring();
  path.resize(length);
  return path.substr(0, path.rfind(L'\\') + 1);
}

struct WindowSearch {
  std::wstring folderKey;
  HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM data) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(data);
  wchar_t className[64] = {};
  if (GetClassNameW(window, className, 64) == 0 || std::wcscmp(className, kLauncherWindowClass) != 0) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (FolderKey(ProcessFolder(processId)) != search.folderKey) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND FindLauncherWindow(const std::wstring& folder) {
  WindowSearch search{FolderKey(folder)};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool TakeFolderLock(LaunchMode mode, bool restart) {
  const std::wstring folder = LauncherDirectoryWide();
  const std::wstring name = Utf8ToWide(FolderLockName(WideToUtf8(FolderKey(folder))));
  // Never closed: Windows releases it when the process ends, also when it crashes.
  const HANDLE lock = CreateMutexW(nullptr, FALSE, name.c_str());
  if (lock == nullptr) {
    Log("No se pudo crear el bloqueo de la carpeta (error %lu); se sigue sin el", GetLastError());
    return true;
  }
  const bool headless = mode != LaunchMode::Windowed;
  DWORD result = WaitForSingleObject(lock, 0);
  if (result == WAIT_TIMEOUT && (headless || restart)) {
    Log("Otro launcher trabaja en esta carpeta; se espera a que termine (hasta %d s)", kFolderLockWaitSeconds);
    if (headless) PrintLine("Otro launcher trabaja en esta carpeta; se espera a que termine");
    result = WaitForSingleObject(lock, kFolderLockWaitSeconds * 1000);
  }
  // An abandoned lock is one whose launcher ended without letting go: it is taken over.
  if (result != WAIT_TIMEOUT) return true;

  if (headless) {
    Log("Otro launcher sigue trabajando en esta carpeta; no se hace nada");
    PrintLine("Otro launcher sigue trabajando en esta carpeta; no se hace nada");
    return false;
  }
  const HWND window = FindLauncherWindow(folder);
  if (window == nullptr) {
    Log("Ya hay un launcher trabajando en esta carpeta; este se cierra");
    return false;
  }
  Log("Ya hay un launcher abierto en esta carpeta; se trae al frente");
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  return false;
}
