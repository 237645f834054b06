#pragma once
// The main window: its class, its creation and its procedure. The procedure only translates
// messages into the portable decisions of ui/input.h and carries out the effects they ask for.
#include <windows.h>

// The window procedure of the class "VandrelLauncher". Nothing thrown below it reaches user32.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Registers the class "VandrelLauncher"; false when Windows refuses.
bool RegisterMainWindowClass(HINSTANCE instance);

// The borderless window, 960 x 540 times uiScale, centred in the primary work area; null on failure.
HWND CreateMainWindow(HINSTANCE instance);

// The start-up check; a worker that cannot start leaves the main button offering a retry.
void StartFirstCheck(HWND window);
