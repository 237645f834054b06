#pragma once
// Sending the worker messages. With no window (the headless modes) nothing is sent and the
// sender carries on as if the window had handled it.
#include <windows.h>

#include <string>

#include "update/messages.h"

// Synchronous send; the worker waits while the window procedure handles it.
void SendToWindow(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Synchronous send of a UTF-8 text that the window copies before the call returns.
void SendTextToWindow(HWND window, UINT message, const std::string& utf8);

// Queues the players-online figure to the main window, by value; nothing when there is no window.
void PostPlayersOnline(int players);
