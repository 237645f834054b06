// The windowed launcher: everything the window needs, in a fixed order, then the message loop and
// the release of the GDI+ objects before GDI+ itself goes.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "core/build_stamp.h"
#include "core/command_line.h"
#include "core/first_run_win.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/modes.h"
#include "core/module_path_win.h"
#include "core/process_values_win.h"
#include "core/utf8.h"
#include "settings/languages.h"
#include "ui/graphics_win.h"
#include "ui/paint_win.h"
#include "ui/settings_panel.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"
#include "ui/window_win.h"
#include "update/self_update_win.h"

namespace {

// A function of a system library that older Windows versions lack; null when absent.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

void ChooseInterfaceLanguage() {
  const auto line = ReadLocaleFile(LauncherDirectory() + "locale.cfg");
  uiState.currentLanguage = line ? FindLanguageByCode(line->code) : -1;
  if (uiState.currentLanguage >= 0 && uiState.currentLanguage < kLanguageCount) {
    SelectUiLanguage(LanguageTable[uiState.currentLanguage].code);
  } else {
    Log("locale.cfg trae un idioma que no esta en la tabla: se usa el espanol");
  }
  uiState.statusText = UiText(TXT_CHECKING_LAUNCHER);
}

void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (const auto setContext = SystemFunction<SetContext>(user32, "SetProcessDpiAwarenessContext")) {
    setContext(reinterpret_cast<HANDLE>(-4));  // per-monitor aware, version 2
  } else {
    SetProcessDPIAware();
  }
}

double SystemScale() {
  using GetSystemDpi = UINT(WINAPI*)();
  double dpi;
  if (const auto getDpi = SystemFunction<GetSystemDpi>(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")) {
    dpi = getDpi();
  } else {
    const HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  return dpi / 96.0 < 1.0 ? 1.0 : dpi / 96.0;  // the interface never shrinks below its design size
}

void LoadPictures() {
  LoadFontAndPictures();
  if (!backgroundImage) Log("AVISO: no se pudo cargar la imagen de fondo del recurso");
  if (!logoImage) Log("AVISO: no se pudo cargar el logo del recurso");
}

void RoundCorners(HWND window) {
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  const HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  if (const auto setAttribute = SystemFunction<SetAttribute>(dwm, "DwmSetWindowAttribute")) {
    const DWORD round = 2;
    setAttribute(window, 33 /* window corner preference */, &round, sizeof round);
  }
  if (dwm) FreeLibrary(dwm);
}

// "major.minor.build" of the executable's own file version; empty when it cannot be read.
std::wstring OwnVersionText() {
  const std::string path = ModulePath();
  DWORD ignored = 0;
  const DWORD size = path.empty() ? 0 : GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::wstring();
  std::string block(size, '\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr) {
    return std::wstring();
  }
  return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(info->dwFileVersionLS));
}

int Refuse(const wchar_t* text) {
  MessageBoxW(nullptr, text, L"Vandrel", MB_ICONERROR);
  return 1;
}

}  // namespace

int RunWindowedLauncher(HINSTANCE instance, const char* commandLine, int showCommand) {
  RemoveOldLauncher();
  EnsureLocaleFile();
  EnsureClientSettingsFile();
  EnsureDesktopShortcut();
  ChooseInterfaceLanguage();
  BecomeDpiAware();
  uiScale = SystemScale();

  Gdiplus::GdiplusStartupInput gdiplusInput;
  ULONG_PTR gdiplusToken = 0;
  if (Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok) {
    return Refuse(L"No se pudo iniciar GDI+");
  }
  LoadPictures();
  if (!RegisterMainWindowClass(instance)) return Refuse(L"Error al registrar la ventana");
  mainWindow = CreateMainWindow(instance);
  if (mainWindow == nullptr) return Refuse(L"Error al crear la ventana");
  RoundCorners(mainWindow);

  uiState.launcherVersionText = OwnVersionText();
  app = new LauncherApp(mainWindow);  // lives until the process ends; workers may still hold it
  app->LoadLocalVersion();
  uiState.localVersionText = Utf8ToWide(app->localVersion);
  Log("=== Vandrel Launcher %ls iniciado (build %s %s) ===", uiState.launcherVersionText.c_str(), BuildDate(),
      BuildTime());
  Log("Directorio: %s", LauncherDirectory().c_str());
  if (CommandLineHas(commandLine, "/config")) OpenSettingsPanel();

  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
  StartFirstCheck(mainWindow);

  MSG message = {};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  ShutDownGraphics(gdiplusToken);
  return static_cast<int>(message.wParam);
}
