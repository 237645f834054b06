#include "settings/client_settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/paths.h"
#include "core/unique_file.h"

namespace {

// The key table: its order is the order in which missing keys are appended.
enum Key {
  kWidth, kHeight, kBpp, kFrequency, kWindowed, kMusicVolume,
  kVoiceVolume, kGamma, kShadowLevel, kVisibility, kSoftwareCursor, kKeyCount
};

const char* const kKeyNames[kKeyCount] = {
    "WIDTH",        "HEIGHT", "BPP",          "FREQUENCY",  "WINDOWED",       "MUSIC_VOLUME",
    "VOICE_VOLUME", "GAMMA",  "SHADOW_LEVEL", "VISIBILITY", "SOFTWARE_CURSOR",
};

int FindKey(const std::string& key) {
  const std::string lower = ToLowerAscii(key);
  for (int i = 0; i < kKeyCount; ++i) {
    if (lower == ToLowerAscii(kKeyNames[i])) return i;
  }
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The client reads numbers with the C runtime's atoi: leading white space and a sign, digits up to
// the first other character, 0 without digits. Out-of-range text saturates, as the Windows runtime
// does, instead of overflowing.
int32_t ToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// "0.500" is a fraction; a bare number is one of the client's volume steps, 5 being full volume.
float MusicVolumeFromText(const std::string& value) {
  double volume;
  if (value.find('.') != std::string::npos) {
    volume = std::strtod(value.c_str(), nullptr);
  } else {
    const int32_t step = ToInt(value);
    volume = step == 0 ? 0.0 : std::pow(10.0, step / 5.0 - 1.0);
  }
  if (!(volume >= 0.0)) volume = 0.0;  // also catches a NaN
  if (volume > 1.0) volume = 1.0;
  return static_cast<float>(volume);
}

void ApplySetting(int key, const std::string& value, ClientSettings& settings) {
  if (key == kMusicVolume) {
    settings.musicVolume = MusicVolumeFromText(value);
    return;
  }
  const int32_t number = ToInt(value);
  switch (key) {
    case kWidth: settings.width = number; break;
    case kHeight: settings.height = number; break;
    case kBpp: settings.bitsPerPixel = number; break;
    case kFrequency: settings.frequency = number; break;
    case kWindowed: settings.windowed = number == 1; break;
    case kVoiceVolume: settings.voiceVolume = std::clamp(number, 0, 5); break;
    case kGamma: settings.gamma = number >= 0 && number <= 4 ? number : 2; break;
    case kShadowLevel: settings.shadowLevel = std::clamp(number, 0, 5); break;
    case kVisibility: settings.visibility = std::clamp(number, 1, 3); break;
    case kSoftwareCursor: settings.softwareCursor = number != 0; break;
  }
}

std::string FormatInt(int32_t value) { return std::to_string(value); }

// Lines up the values in a column when the tab width is 4.
std::string SettingLineText(const std::string& key, const std::string& value) {
  const int tabs = std::max(1, 6 - static_cast<int>((key.size() + 1) / 4));
  return key + std::string(static_cast<size_t>(tabs), '\t') + value;
}

}  // namespace

std::optional<SettingLine> SplitSettingLine(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty()) return std::nullopt;
  const size_t gap = trimmed.find_first_of(" \t");
  if (gap == std::string::npos) return SettingLine{trimmed, std::string()};
  return SettingLine{trimmed.substr(0, gap), Trim(trimmed.substr(gap))};
}

std::string FormatSettingValue(const std::string& key, const ClientSettings& settings) {
  switch (FindKey(key)) {
    case kWidth: return FormatInt(settings.width);
    case kHeight: return FormatInt(settings.height);
    case kBpp: return FormatInt(settings.bitsPerPixel);
    case kFrequency: return FormatInt(settings.frequency);
    case kWindowed: return settings.windowed ? "1" : "0";
    case kMusicVolume: {
      char text[64];
      std::snprintf(text, sizeof text, "%.3f", static_cast<double>(settings.musicVolume));
      return text;
    }
    case kVoiceVolume: return FormatInt(settings.voiceVolume);
    case kGamma: return FormatInt(settings.gamma);
    case kShadowLevel: return FormatInt(settings.shadowLevel);
    case kVisibility: return FormatInt(settings.visibility);
    case kSoftwareCursor: return settings.softwareCursor ? "1" : "0";
    default: return std::string();
  }
}

void ApplySettingLines(const std::vector<std::string>& lines, ClientSettings& settings) {
  for (const std::string& line : lines) {
    const auto setting = SplitSettingLine(line);
    if (!setting || setting->value.empty()) continue;
    const int key = FindKey(setting->key);
    if (key >= 0) ApplySetting(key, setting->value, settings);
  }
}

std::vector<std::string> RewriteSettingLines(const std::vector<std::string>& lines, const ClientSettings& settings) {
  std::vector<std::string> result;
  result.reserve(lines.size() + kKeyCount);
  bool met[kKeyCount] = {};
  for (std::string line : lines) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    const auto setting = SplitSettingLine(line);
    const int key = setting ? FindKey(setting->key) : -1;
    if (key < 0) {
      result.push_back(line);
    } else if (met[key]) {
      // Emptied rather than dropped, so the file keeps its line count.
      result.emplace_back();
    } else {
      met[key] = true;
      result.push_back(SettingLineText(setting->key, FormatSettingValue(setting->key, settings)));
    }
  }
  for (int key = 0; key < kKeyCount; ++key) {
    if (!met[key]) result.push_back(SettingLineText(kKeyNames[key], FormatSettingValue(kKeyNames[key], settings)));
  }
  return result;
}

bool ReadSettingLines(const std::string& path, std::vector<std::string>& lines, bool& exists) {
  lines.clear();
  errno = 0;
  UniqueFile file(std::fopen(path.c_str(), "r"));
  exists = file || errno != ENOENT;
  if (!file) return !exists;
  char buffer[kMaxSettingLineLength + 1];
  while (std::fgets(buffer, sizeof buffer, file.get())) lines.emplace_back(buffer);
  return !std::ferror(file.get());
}

std::optional<std::string> SavedSettingsText(const std::string& path, const ClientSettings& settings) {
  std::vector<std::string> lines;
  bool exists = false;
  if (!ReadSettingLines(path, lines, exists)) return std::nullopt;
  std::string text;
  for (const std::string& line : RewriteSettingLines(lines, settings)) text += line + "\r\n";
  return text;
}

ClientSettings FirstRunClientSettings(int screenHeight) {
  ClientSettings settings;
  if (screenHeight < 900) {
    settings.width = 800;
    settings.height = 600;
  }
  return settings;
}
