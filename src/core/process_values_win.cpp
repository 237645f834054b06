#include "core/process_values_win.h"

HINSTANCE instanceHandle = nullptr;
HWND mainWindow = nullptr;
LauncherApp* app = nullptr;
double uiScale = 1.0;
