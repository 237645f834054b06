// Off-screen screenshots of the launcher window for people to look at: every phase, the settings
// panel, each open list, a right-to-left and a Cyrillic language, and scale 1.5. Not compared
// with anything. Also tells the tests that drive the real window where its controls are.
//   screens <folder>   writes one PNG per frame into the folder
//   screens --regions <language code> [web] [discord] [panel] [list] [wheel]...
//                      prints the hit regions of the window at scale 1 in that state, one
//                      "id left top width height" a line; "list" opens the language list as its button
//                      does, each "wheel" turns the wheel down once over it
// The pictures come from this program's own resources, the launcher's; without them the frames
// show the plain background.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/process_values_win.h"
#include "core/utf8.h"
#include "settings/languages.h"
#include "ui/input.h"
#include "ui/paint_win.h"
#include "ui/ui_text.h"

namespace {

// The frame of uiState at uiScale, as the window would show it.
bool SaveFrame(const std::wstring& path) {
  const int width = static_cast<int>(960 * uiScale + 0.5), height = static_cast<int>(540 * uiScale + 0.5);
  const uint32_t* pixels = RenderFrame(width, height);
  if (pixels == nullptr) return false;
  Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppRGB,
                         reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels)));
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (size == 0 || Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      return bitmap.Save(path.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
    }
  }
  return false;
}

// A believable window in a phase, with the texts the workers would have sent.
void ShowPhase(UiPhase phase) {
  uiState = UiState();
  uiState.currentLanguage = FindLanguageByCode(kUiColumnCodes[currentUiLanguage]);
  uiState.phase = phase;
  uiState.websiteUrl = L"https://vandrel.example";
  uiState.discordUrl = L"https://discord.example";
  uiState.playersOnline = 1234;
  uiState.launcherVersionText = L"2.0.0";
  uiState.localVersionText = L"1.4.2";
  const std::wstring of = std::wstring(L" ") + UiText(TXT_OF) + L" ";
  switch (phase) {
    case UiPhase::Checking:
      uiState.statusText = std::wstring(UiText(TXT_CHECKING_FILES)) + L" \u00B7 data/maps/north.map";
      uiState.detailText = L"1234" + of + L"5678 " + UiText(TXT_FILES);
      uiState.progressPercent = 42;
      break;
    case UiPhase::UpdateAvailable:
      uiState.statusText = UiText(TXT_UPDATE_AVAILABLE);
      uiState.detailText = UiText(TXT_PRESS_UPDATE);
      break;
    case UiPhase::Downloading:
      uiState.statusText = std::wstring(UiText(TXT_DOWNLOADING)) + L" \u00B7 data/sound/music.pak";
      uiState.detailText = L"3" + of + L"12 " + UiText(TXT_FILES) + L" \u00B7 1.5" + of + L"20.0 MB";
      uiState.progressPercent = 37;
      break;
    case UiPhase::CheckFailed:
      uiState.statusText = UiText(TXT_UPDATE_SERVER_UNREACHABLE);
      uiState.detailText = UiText(TXT_CHECK_CONNECTION);
      uiState.playersOnline = -1;
      break;
    case UiPhase::UpdateFailed:
      uiState.statusText = UiText(TXT_DOWNLOAD_ERROR);
      uiState.detailText = L"Error al descargar";
      break;
    case UiPhase::Restarting:
      uiState.statusText = L"Instalando el nuevo launcher";
      uiState.detailText = L"Se abrir\u00E1 solo en un momento";
      uiState.progressPercent = 100;
      break;
    case UiPhase::StartingGame: uiState.statusText = UiText(TXT_STARTING_GAME); break;
    default:
      uiState.statusText = UiText(TXT_UP_TO_DATE);
      uiState.detailText = UiText(TXT_READY_TO_PLAY);
      uiState.progressPercent = 100;
      break;
  }
}

void OpenPanel() {
  uiState.settingsOpen = true;
  uiState.displayModes = {{800, 600, 60},   {1024, 768, 75},  {1280, 720, 60},  {1280, 1024, 75},
                          {1366, 768, 60},  {1600, 900, 60},  {1680, 1050, 60}, {1920, 1080, 144},
                          {2560, 1440, 144}};
  uiState.selectedMode = 7;
  uiState.editedSettings.windowed = false;
  uiState.editedSettings.musicVolume = 0.55f;
  uiState.hoverId = CTRL_SLIDER_EFFECTS_VOICES;
}

// Where the window puts its controls: the layout of the real font, measured as the window measures it.
// The phase is CheckFailed, in which every control of the main screen has a region.
bool PrintRegions(int argc, char** argv) {
  SelectUiLanguage(argv[2]);
  uiState = UiState();
  uiState.currentLanguage = FindLanguageByCode(argv[2]);
  uiState.phase = UiPhase::CheckFailed;
  uiScale = 1.0;
  for (int i = 3; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "web") uiState.websiteUrl = L"https://vandrel.example";
    if (word == "discord") uiState.discordUrl = L"https://discord.example";
    if (word == "panel") uiState.settingsOpen = true;
    if (word == "list") DispatchClick(uiState, CTRL_LANGUAGE);
    if (word == "wheel") OnWheel(uiState, -120);
  }
  if (RenderFrame(960, 540) == nullptr) return false;
  for (const HitRegion& r : uiState.hitRegions) {
    std::printf("%d %g %g %g %g\n", static_cast<int>(r.id), r.left, r.top, r.width, r.height);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool regions = argc >= 3 && std::strcmp(argv[1], "--regions") == 0;
  if (argc < 2 || (!regions && argc > 2)) {
    std::fprintf(stderr, "usage: screens <folder> | screens --regions <language code> [web] [discord] [panel] [list] [wheel]...\n");
    return 2;
  }
  const std::wstring folder = Utf8ToWide(argv[1]) + L"\\";
  instanceHandle = GetModuleHandleW(nullptr);
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  LoadFontAndPictures();

  if (regions) {
    const bool printed = PrintRegions(argc, argv);
    ShutDownGraphics(token);
    return printed ? 0 : 1;
  }

  static const char* const kPhaseNames[] = {"checking", "update-available", "downloading", "ready",
                                            "check-failed", "update-failed", "restarting", "starting-game"};
  struct Shot {
    std::string name;
    const char* language;
    double scale;
    UiPhase phase;
    void (*extra)();
  };
  std::vector<Shot> shots;
  for (int phase = 0; phase < kUiPhaseCount; ++phase) {
    shots.push_back({"phase-" + std::to_string(phase) + "-" + kPhaseNames[phase], "es", 1.0, UiPhase(phase), [] {}});
  }
  shots.push_back({"ready-hover-main-button", "en", 1.0, UiPhase::Ready, [] { uiState.hoverId = CTRL_MAIN_BUTTON; }});
  shots.push_back({"panel", "es", 1.0, UiPhase::Ready, OpenPanel});
  shots.push_back({"panel-resolution-list", "es", 1.0, UiPhase::Ready, [] {
                     OpenPanel();
                     uiState.openList = CTRL_RESOLUTION, uiState.listScroll = 2, uiState.hoverId = CTRL_RESOLUTION_ROW + 5;
                   }});
  shots.push_back({"language-list", "es", 1.0, UiPhase::Ready, [] {
                     uiState.openList = CTRL_LANGUAGE, uiState.listScroll = 1, uiState.hoverId = CTRL_LANGUAGE_ROW + 5;
                   }});
  shots.push_back({"panel-language-list-end", "en", 1.0, UiPhase::Ready, [] {
                     OpenPanel();
                     uiState.openList = CTRL_LANGUAGE, uiState.listScroll = 9;
                   }});
  for (const char* code : {"ae", "ru"}) {
    shots.push_back({std::string("ready-") + code, code, 1.0, UiPhase::Ready, [] {}});
    shots.push_back({std::string("panel-") + code, code, 1.0, UiPhase::Ready, OpenPanel});
  }
  shots.push_back({"ready-scale-1.5", "es", 1.5, UiPhase::Ready, [] {}});
  shots.push_back({"panel-scale-1.5", "de", 1.5, UiPhase::Ready, OpenPanel});

  int failed = 0;
  for (const Shot& shot : shots) {
    SelectUiLanguage(shot.language);
    ShowPhase(shot.phase);
    shot.extra();
    uiScale = shot.scale;
    if (!SaveFrame(folder + Utf8ToWide(shot.name) + L".png")) {
      std::fprintf(stderr, "screens: could not write %s.png\n", shot.name.c_str());
      ++failed;
    }
  }
  ShutDownGraphics(token);
  return failed == 0 ? 0 : 1;
}
