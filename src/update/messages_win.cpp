#include "update/messages_win.h"

#include "core/process_values_win.h"

void SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr) SendMessageA(window, message, wParam, lParam);
}

void SendTextToWindow(HWND window, UINT message, const std::string& utf8) {
  SendToWindow(window, message, 0, reinterpret_cast<LPARAM>(utf8.c_str()));
}

void PostPlayersOnline(int players) {
  if (mainWindow != nullptr) PostMessageA(mainWindow, UM_PLAYERS_ONLINE, static_cast<WPARAM>(players), 0);
}
