#pragma once
// The game client's qarlok.cfg: the record the launcher edits and the line rules that read and
// rewrite the file. Portable: the file itself is opened in client_settings_win.cpp.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ClientSettings {
  int32_t width = 1024;
  int32_t height = 768;
  int32_t bitsPerPixel = 32;
  int32_t frequency = 60;
  bool windowed = true;
  float musicVolume = 0.3f;  // 0.0 to 1.0
  int32_t voiceVolume = 3;   // 0 to 5
  int32_t gamma = 3;         // 0 to 4
  int32_t shadowLevel = 3;   // 0 to 5
  int32_t visibility = 3;    // 1 to 3
  bool softwareCursor = false;
};

// Lines longer than this are read as several lines, as the client's own reader does.
constexpr size_t kMaxSettingLineLength = 511;

struct SettingLine {
  std::string key;
  std::string value;  // may be empty
};

// Key and value of one line; nothing when the line holds only blanks, tabs and line ends.
std::optional<SettingLine> SplitSettingLine(const std::string& line);

// The value text written for a key (matched ignoring ASCII case); empty for a key the launcher does not know.
std::string FormatSettingValue(const std::string& key, const ClientSettings& settings);

// Applies every known key of the file's lines to settings, correcting values out of range.
// Keys that do not appear leave their field as it was; the last occurrence of a key wins.
void ApplySettingLines(const std::vector<std::string>& lines, ClientSettings& settings);

// The file's lines with every known key rewritten from settings: the first occurrence keeps its own
// letter case, later ones become empty lines, other lines stay as they were, and keys that did not
// appear are appended in the order of the key table.
std::vector<std::string> RewriteSettingLines(const std::vector<std::string>& lines, const ClientSettings& settings);

// The file's lines as the client reads them (text mode, a longer line in pieces of kMaxSettingLineLength).
// False when a file is there but cannot be opened or read to its end; a missing file has no lines.
bool ReadSettingLines(const std::string& path, std::vector<std::string>& lines, bool& exists);

// What a save writes: the file's lines rewritten from settings, CR LF after each. Nothing when the file is
// there but cannot be read: saving it as if new would drop the player's other lines.
std::optional<std::string> SavedSettingsText(const std::string& path, const ClientSettings& settings);

// The settings a fresh installation gets: the defaults, with 800 by 600 on screens lower than 900 pixels.
ClientSettings FirstRunClientSettings(int screenHeight);

// The file half, built for Windows only (client_settings_win.cpp). Relative paths resolve in the
// launcher's directory, which is the current directory.

// False when the file cannot be opened; only the keys the file holds change settings.
bool LoadClientSettings(const std::string& path, ClientSettings& settings);

// Rewrites the file through path + ".tmp" and a replacing move, so the client never sees a partial
// file. False, with the old file intact, no temporary file left and the failing call's last-error
// code kept, when the file cannot be read, the temporary file cannot be created or written or the
// move is refused.
bool SaveClientSettings(const std::string& path, const ClientSettings& settings);
