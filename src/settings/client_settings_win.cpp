#include "settings/client_settings_win.h"

#include <optional>

#include "core/unique_handle_win.h"
#include "settings/client_settings.h"

namespace {

bool WriteAll(HANDLE file, const std::string& text) {
  const char* data = text.data();
  size_t remaining = text.size();
  while (remaining > 0) {
    const DWORD chunk = remaining > (1u << 20) ? (1u << 20) : static_cast<DWORD>(remaining);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    remaining -= written;
  }
  return true;
}

}  // namespace

bool CommitTemporaryFile(HANDLE temp, const std::string& tempPath, const std::string& path, const std::string& text) {
  UniqueKernelHandle file(temp);
  // A full disk shows up here, or only at the close when the system deferred the write; either way
  // the truncated file must never replace the player's settings.
  bool ok = WriteAll(file.get(), text);
  if (ok) ok = CloseHandle(file.release()) != FALSE;
  if (ok) ok = MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!ok) {
    const DWORD error = GetLastError();
    file.reset();  // the handle must be closed before the file can be deleted
    DeleteFileA(tempPath.c_str());
    SetLastError(error);
  }
  return ok;
}

bool ReplaceFileWithText(const std::string& path, const std::string& text) {
  const std::string tempPath = path + ".tmp";
  const HANDLE temp = CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (temp == INVALID_HANDLE_VALUE) return false;
  return CommitTemporaryFile(temp, tempPath, path, text);
}

bool LoadClientSettings(const std::string& path, ClientSettings& settings) {
  std::vector<std::string> lines;
  bool exists = false;
  if (!ReadSettingLines(path, lines, exists) || !exists) return false;
  ApplySettingLines(lines, settings);
  return true;
}

bool SaveClientSettings(const std::string& path, const ClientSettings& settings) {
  const std::optional<std::string> text = SavedSettingsText(path, settings);
  if (!text) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_READ_FAULT);  // the callers log a code
    return false;
  }
  return ReplaceFileWithText(path, *text);
}
