#pragma once
// Process-wide values of the launcher; each is a single instance for the whole process.
#include <windows.h>

struct LauncherApp;

extern HINSTANCE instanceHandle;  // set first thing by the entry point
extern HWND mainWindow;           // null until the window exists and in the headless modes
extern LauncherApp* app;          // null until start-up has made it; every user tests it
// System DPI / 96, never below 1.0 at start; every layout length is multiplied by it. Window thread only.
extern double uiScale;
