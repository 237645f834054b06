#pragma once
// The private messages by which the workers report to the window (WM_USER + 1 to + 9).
// Texts travel as NUL-terminated UTF-8 owned by the sender and valid only while the send lasts;
// every message but UM_PLAYERS_ONLINE is sent synchronously, so the window copies what it needs
// before the worker goes on.

constexpr unsigned kWmUser = 0x0400;

constexpr unsigned UM_STATUS = kWmUser + 1;            // lParam: UTF-8 first status line (never null)
constexpr unsigned UM_PROGRESS = kWmUser + 2;          // lParam: percent, not clamped
constexpr unsigned UM_UPDATE_DONE = kWmUser + 3;       // the update run ended well; last act of its worker
constexpr unsigned UM_FAILED = kWmUser + 4;            // lParam: UTF-8 second status line, may be empty or null
constexpr unsigned UM_CHECK_RESULT = kWmUser + 5;      // wParam: 1 files to repair, 0 up to date
constexpr unsigned UM_DETAIL = kWmUser + 6;            // lParam: UTF-8 second status line (never null)
constexpr unsigned UM_LAUNCHER_INFO = kWmUser + 7;     // lParam: address of LauncherApp::launcherInfo
constexpr unsigned UM_INSTALL_LAUNCHER = kWmUser + 8;  // a verified new launcher waits beside the running one
constexpr unsigned UM_PLAYERS_ONLINE = kWmUser + 9;    // posted; wParam: players online, -1 for no figure
