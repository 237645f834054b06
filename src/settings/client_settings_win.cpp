#include "settings/client_settings_win.h"

#include <cstdio>
#include <vector>

#include "core/unique_file.h"
#include "core/unique_handle_win.h"
#include "settings/client_settings.h"

namespace {

// Text mode and a fixed buffer, as the client reads the file: CR LF arrives as LF, and a line longer
// than the buffer arrives in pieces.
bool ReadSettingLines(const std::string& path, std::vector<std::string>& lines) {
  UniqueFile file(std::fopen(path.c_str(), "r"));
  if (!file) return false;
  char buffer[kMaxSettingLineLength + 1];
  while (std::fgets(buffer, sizeof buffer, file.get())) lines.emplace_back(buffer);
  return true;
}

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
  if (!ReadSettingLines(path, lines)) return false;
  ApplySettingLines(lines, settings);
  return true;
}

bool SaveClientSettings(const std::string& path, const ClientSettings& settings) {
  std::vector<std::string> lines;
  ReadSettingLines(path, lines);  // a missing file simply has no lines to keep
  std::string text;
  for (const std::string& line : RewriteSettingLines(lines, settings)) text += line + "\r\n";
  return ReplaceFileWithText(path, text);
}
