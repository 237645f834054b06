#pragma once
// One launcher per installation folder, held by a named lock for the whole life of the process.
#include <windows.h>

#include <string>

enum class LaunchMode;

// Class of the launcher's main window.
constexpr wchar_t kLauncherWindowClass[] = L"VandrelLauncher";

// Takes the lock of the launcher's folder until the process ends. When another launcher holds it, a
// headless run (and the restart after a self-update, which waits for the launcher that started it to
// close) waits up to kFolderLockWaitSeconds; a second windowed start brings the running launcher's
// window to the front instead. False when this process must end without doing anything.
bool TakeFolderLock(LaunchMode mode, bool restart);

// The launcher window of a process whose executable lives in folder (with trailing backslash), or null.
HWND FindLauncherWindow(const std::wstring& folder);
