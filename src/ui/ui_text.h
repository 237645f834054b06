#pragma once
// The window's texts: 77 keys in 16 languages. Portable: no Windows calls.
// Columns are chosen by the client's language code; column 0 (Spanish) is the fallback.
#include <atomic>
#include <string>

enum UiTextKey : int {
  TXT_SETTINGS = 0,
  TXT_WEBSITE = 1,
  TXT_LANGUAGE = 2,  // not displayed; kept so that the keys after it keep their numbers
  TXT_BTN_CHECKING = 3,
  TXT_BTN_UPDATE = 4,
  TXT_BTN_DOWNLOADING = 5,
  TXT_BTN_PLAY = 6,
  TXT_BTN_RETRY = 7,
  TXT_BTN_RESTARTING = 8,
  TXT_BTN_STARTING = 9,
  TXT_PLAY_WITHOUT_CHECKING = 10,
  TXT_CHECKING_LAUNCHER = 11,
  TXT_CHECKING_GAME_FILES = 12,
  TXT_DOWNLOADING_UPDATE = 13,
  TXT_UPDATE_AVAILABLE = 14,
  TXT_PRESS_UPDATE = 15,
  TXT_UP_TO_DATE = 16,
  TXT_READY_TO_PLAY = 17,
  TXT_UPDATE_INSTALLED = 18,
  TXT_STARTING_GAME = 19,
  TXT_COULD_NOT_CONNECT = 20,  // not displayed
  TXT_PRESS_RETRY = 21,
  TXT_SETTINGS_SAVED = 22,
  TXT_CLOSE_GAME_WARNING = 23,
  TXT_GAME_START_FAILED = 24,
  TXT_WEBSITE_NOT_RESPONDING = 25,
  TXT_PLAYER_ONLINE = 26,
  TXT_PLAYERS_ONLINE = 27,
  TXT_SETTINGS_TITLE = 28,
  TXT_SETTINGS_HINT = 29,
  TXT_RESOLUTION = 30,
  TXT_MODE = 31,
  TXT_WINDOWED = 32,
  TXT_FULLSCREEN = 33,
  TXT_MUSIC = 34,
  TXT_EFFECTS_VOICES = 35,
  TXT_BRIGHTNESS = 36,
  TXT_SHADOWS = 37,
  TXT_DRAW_DISTANCE = 38,
  TXT_DIST_SHORT = 39,
  TXT_DIST_MEDIUM = 40,
  TXT_DIST_LONG = 41,
  TXT_SOFTWARE_CURSOR = 42,
  TXT_NO = 43,
  TXT_YES = 44,
  TXT_CANCEL = 45,
  TXT_SAVE = 46,
  TXT_LANGUAGE_HINT = 47,
  TXT_LEVEL_VERY_LOW = 48,
  TXT_LEVEL_LOW = 49,
  TXT_LEVEL_NORMAL = 50,
  TXT_LEVEL_HIGH = 51,
  TXT_LEVEL_VERY_HIGH = 52,
  TXT_SHADOW_NONE = 53,
  TXT_SHADOW_GROUND = 54,
  TXT_SHADOW_GROUND_CHAR = 55,
  TXT_SHADOW_ALL = 56,
  TXT_SHADOW_ALL_HQ = 57,
  TXT_SHADOW_MAX = 58,
  TXT_UPDATE_SERVER_UNREACHABLE = 59,
  TXT_CHECK_CONNECTION = 60,
  TXT_CHECKING_FILES = 61,
  TXT_DOWNLOADING = 62,
  TXT_OF = 63,
  TXT_FILES = 64,
  TXT_DOWNLOADING_PATCH = 65,  // same texts as TXT_DOWNLOADING_UPDATE: used by the update run
  TXT_UPDATE_DONE = 66,
  TXT_DOWNLOAD_ERROR = 67,
  TXT_CHECKING_DOWNLOAD = 68,
  TXT_DOWNLOAD_DAMAGED = 69,
  TXT_UPDATE_UNVERIFIABLE = 70,
  TXT_UPDATE_TAMPERED = 71,
  TXT_INSTALLING_UPDATE = 72,
  TXT_INSTALL_ERROR = 73,
  TXT_INSTALLING_FILES = 74,
  TXT_DOWNLOADING_LAUNCHER = 75,
  TXT_VERSION = 76,
};

constexpr int kUiTextKeyCount = 77;
constexpr int kUiLanguageCount = 16;

// Language code of each column, in column order:
// es en fr de it pt nl pl cz hu ro tr gr ru dk ae.
extern const char* const kUiColumnCodes[kUiLanguageCount];

// Column of the current UI language, 0 to 15. Written only by the window thread and read by
// workers while they build their texts: atomic so that the read is defined, relaxed because
// either the old or the new column is a valid one and nothing else depends on the order.
extern std::atomic<int> currentUiLanguage;

// The column whose code equals `code` exactly (case-sensitive); 0 for null, empty or
// unknown codes.
int UiColumnForCode(const char* code);

// Makes the column of `code` current; null, empty and unknown codes give Spanish.
void SelectUiLanguage(const char* code);

// Text of a key in the current column as UTF-16 (see core/utf8.h for the wide form on
// non-Windows hosts). The pointer stays valid for the life of the process. Keys outside
// 0 to 76 give the empty text.
const wchar_t* UiText(int key);

// Same text as UTF-8, for the worker threads; empty for keys outside 0 to 76.
std::string UiTextUtf8(int key);

// A cell of a given column; the empty text when the column or the key is out of range.
const wchar_t* UiTextIn(int column, int key);
const char* UiTextUtf8In(int column, int key);
