#include "ui/window_win.h"

#include <shellapi.h>

#include <string>

#include "core/launcher_app.h"
#include "core/log.h"
#include "core/process_values_win.h"
#include "core/start_game_win.h"
#include "core/utf8.h"
#include "settings/languages.h"
#include "ui/input.h"
#include "ui/paint_win.h"
#include "ui/settings_panel.h"
#include "update/messages.h"
#include "update/self_update_win.h"
#include "update/workers_win.h"

namespace {

constexpr wchar_t kClassName[] = L"VandrelLauncher";
// The system cursors by number: without UNICODE the IDC_ names are narrow.
const LPCWSTR kArrow = MAKEINTRESOURCEW(32512);
const LPCWSTR kHand = MAKEINTRESOURCEW(32649);
constexpr DWORD kWindowStyle = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x820A0000

// Signed: a monitor left of or above the primary one gives negative coordinates.
int X(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int Y(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

void Repaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

POINT CursorInClient(HWND window) {
  POINT point = {};
  GetCursorPos(&point);
  ScreenToClient(window, &point);
  return point;
}

// Worker texts are UTF-8 owned by the sender; the copy is made before the send returns.
std::wstring Text(LPARAM lParam) {
  return lParam ? Utf8ToWide(reinterpret_cast<const char*>(lParam)) : std::wstring();
}

void OpenLink(HWND window, const std::wstring& address) {
  if (IsOpenableLink(address)) ShellExecuteW(window, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Carries out a decision's effects: the state has changed already; painting comes first, then
// the threads, the shell and the panel.
void Carry(HWND window, const UiEffects& effects, const StatusSnapshot* beforeClick = nullptr) {
  const uint32_t f = effects.flags;
  if (f & FX_CHANGE_LANGUAGE) ChangeLanguage(effects.language);
  if (f & FX_REPAINT) Repaint(window);
  if (f & FX_PAINT_NOW) UpdateWindow(window);
  if (f & FX_REHOVER) {
    const POINT cursor = CursorInClient(window);
    RehoverAt(uiState, cursor.x, cursor.y);
    Repaint(window);
  }
  if (f & FX_CAPTURE) SetCapture(window);
  if (f & FX_RELEASE_CAPTURE) ReleaseCapture();
  if (f & FX_TRACK_LEAVE) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
  }
  if (f & FX_STATUS_TIMER) SetTimer(window, kStatusTimerId, kStatusPeriodMs, nullptr);
  if (f & FX_START_STATUS) StartStatusWorker();
  if (((f & FX_START_CHECK) && !StartCheckWorker()) || ((f & FX_START_UPDATE) && !StartUpdateWorker())) {
    WorkerNotStarted(uiState, beforeClick);
    Repaint(window);
  }
  if (f & FX_OPEN_WEBSITE) OpenLink(window, uiState.websiteUrl);
  if (f & FX_OPEN_DISCORD) OpenLink(window, uiState.discordUrl);
  if (f & FX_PLAY_UNCHECKED) Log("Jugar sin comprobar (no habia conexion con el servidor de actualizaciones)");
  if (f & (FX_START_GAME | FX_PLAY_UNCHECKED)) StartGame();
  if (f & FX_MINIMIZE) ShowWindow(window, SW_MINIMIZE);
  if (f & FX_CLOSE) DestroyWindow(window);
  if (f & FX_OPEN_PANEL) OpenSettingsPanel();
  if (f & FX_SAVE_PANEL) SaveSettingsPanel();
  if (f & FX_INSTALL_LAUNCHER) {
    if (InstalarLauncherNuevo()) {
      PostQuitMessage(0);  // the new launcher runs; this one ends
    } else {
      Carry(window, RestartFailed(uiState));
    }
  }
}

LRESULT OnPaint(HWND window) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT client = {};
  GetClientRect(window, &client);
  if (dc) PaintWindow(dc, client.right - client.left, client.bottom - client.top);
  EndPaint(window, &paint);
  return 0;
}

LRESULT OnSetCursor(HWND window, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return DefWindowProcW(window, WM_SETCURSOR, wParam, lParam);
  const POINT cursor = CursorInClient(window);
  SetCursor(LoadCursorW(nullptr, ShowsHand(uiState, cursor.x, cursor.y) ? kHand : kArrow));
  return TRUE;
}

LRESULT OnNonClientHitTest(HWND window, LPARAM lParam) {
  POINT point = {X(lParam), Y(lParam)};
  ScreenToClient(window, &point);
  // Outside the controls the system drags the borderless window, unless a press must close a list.
  return IsClientArea(uiState, point.x, point.y) ? HTCLIENT : HTCAPTION;
}

// Button presses and keys may start a worker: what the window showed before is kept for the case
// where the thread cannot be created.
LRESULT OnInput(HWND window, UiEffects (*decide)(UiState&, int, int, double), LPARAM lParam) {
  const StatusSnapshot before = TakeStatus(uiState);
  Carry(window, decide(uiState, X(lParam), Y(lParam), uiScale), &before);
  return 0;
}

LRESULT OnKey(HWND window, WPARAM wParam, LPARAM lParam) {
  const StatusSnapshot before = TakeStatus(uiState);
  const UiEffects effects = OnKeyDown(uiState, static_cast<int>(wParam));
  Carry(window, effects, &before);
  return (effects.flags & FX_DEFAULT) ? DefWindowProcW(window, WM_KEYDOWN, wParam, lParam) : 0;
}

LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  uiScale = HIWORD(wParam) / 96.0;
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  const WindowSize size = ScaledWindowSize(uiScale);
  if (suggested) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, size.width, size.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Repaint(window);
  return 0;
}

// The worker reads the record only while it waits for this send to return.
UiEffects OnLauncherInfo(LPARAM lParam) {
  const auto* info = reinterpret_cast<const LauncherInfo*>(lParam);
  if (info == nullptr) return OnLauncherLinks(uiState, nullptr, nullptr);
  const std::wstring web = Utf8ToWide(info->web), discord = Utf8ToWide(info->discord);
  return OnLauncherLinks(uiState, &web, &discord);
}

// The worker has saved version.txt before sending and waits while the window reads it; without
// the app the line keeps what it shows.
std::wstring LocalVersion() { return app ? Utf8ToWide(app->localVersion) : uiState.localVersionText; }

LRESULT Handle(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  UiState& s = uiState;
  switch (message) {
    case WM_DESTROY: KillTimer(w, kStatusTimerId); PostQuitMessage(0); return 0;
    case WM_PAINT: return OnPaint(w);
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR: return OnSetCursor(w, wParam, lParam);
    case WM_NCHITTEST: return OnNonClientHitTest(w, lParam);
    case WM_NCMOUSEMOVE: Carry(w, OnNonClientMouseMove(s)); break;
    case WM_MOUSEMOVE: Carry(w, OnMouseMove(s, X(lParam), Y(lParam), uiScale)); return 0;
    case WM_MOUSELEAVE: Carry(w, OnMouseLeave(s)); return 0;
    case WM_LBUTTONDOWN: return OnInput(w, OnLeftDown, lParam);
    case WM_LBUTTONUP: return OnInput(w, OnLeftUp, lParam);
    case WM_MOUSEWHEEL: Carry(w, OnWheel(s, GET_WHEEL_DELTA_WPARAM(wParam))); return 0;
    case WM_KEYDOWN: return OnKey(w, wParam, lParam);
    case WM_TIMER: if (wParam == kStatusTimerId) Carry(w, OnStatusTimer(s)); return 0;
    case WM_DPICHANGED: return OnDpiChanged(w, wParam, lParam);
    case UM_STATUS: Carry(w, OnStatusText(s, Text(lParam))); return 0;
    case UM_PROGRESS: Carry(w, OnProgress(s, static_cast<int32_t>(lParam))); return 0;
    case UM_UPDATE_DONE: Carry(w, OnUpdateDone(s, LocalVersion())); return 0;
    case UM_FAILED: Carry(w, OnFailed(s, Text(lParam))); return 0;
    case UM_CHECK_RESULT: Carry(w, OnCheckResult(s, wParam != 0, LocalVersion())); return 0;
    case UM_DETAIL: Carry(w, OnDetailText(s, Text(lParam))); return 0;
    case UM_LAUNCHER_INFO: Carry(w, OnLauncherInfo(lParam)); return 0;
    case UM_INSTALL_LAUNCHER: Carry(w, BeginRestart(s)); return 0;
    case UM_PLAYERS_ONLINE: Carry(w, OnPlayersOnline(s, static_cast<int32_t>(wParam))); return 0;
    default: break;
  }
  return DefWindowProcW(w, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    return Handle(window, message, wParam, lParam);
  } catch (...) {
    Log("Error inesperado en la ventana (mensaje %u)", message);
    return 0;
  }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
  windowClass.hIconSm =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(101), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorW(nullptr, kArrow);
  windowClass.lpszClassName = kClassName;  // no background brush: every pixel is painted
  return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  const WindowSize size = ScaledWindowSize(uiScale);
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + (work.right - work.left - size.width) / 2;
  const int top = work.top + (work.bottom - work.top - size.height) / 2;
  return CreateWindowExW(0, kClassName, L"Vandrel", kWindowStyle, left, top, size.width, size.height, nullptr,
                         nullptr, instance, nullptr);
}

void StartFirstCheck(HWND window) {
  if (StartCheckWorker()) return;
  WorkerNotStarted(uiState, nullptr);
  Repaint(window);
}
