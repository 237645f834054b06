#include "core/log.h"

#include <windows.h>

#include <cstdarg>

#include "core/log_line.h"
#include "core/module_path_win.h"
#include "core/unique_handle_win.h"

namespace {

std::string WideToAnsi(const wchar_t* text, size_t length) {
  if (length == 0) return std::string();
  const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &narrow[0], size, nullptr, nullptr);
  return narrow;
}

}  // namespace

void Log(const char* format, ...) {
  // Callers often log and then read GetLastError for the next line; logging must not disturb it.
  const DWORD savedError = GetLastError();

  va_list args;
  va_start(args, format);
  const std::string message = FormatLogMessage(format, args, WideToAnsi);
  va_end(args);

  // Without its own folder the line is dropped: a log in whatever folder is current is a file left
  // where nobody looks for it. The wide call reaches folders deeper than MAX_PATH.
  const std::wstring directory = LauncherDirectoryWide();
  const std::wstring path = directory + L"launcher_log.txt";
  // Append-only access makes every WriteFile an atomic append at the end of the file, so lines
  // from other threads and other launcher processes never overwrite or split each other.
  UniqueKernelHandle file;
  if (!directory.empty()) {
    file.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  if (file) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string line =
        FormatLogLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, message);
    // Windows appends atomically on an append-only handle, but Wine (and some network file
    // systems) seek and write in two steps, so two processes can overwrite each other's line.
    // A byte-range lock far beyond any real log size serialises the writers without ever
    // blocking a reader of the text.
    OVERLAPPED lockRange = {};
    lockRange.OffsetHigh = 0x40000000;
    const bool locked = LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockRange) != FALSE;
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (locked) UnlockFileEx(file.get(), 0, 1, 0, &lockRange);
  }
  SetLastError(savedError);
}
