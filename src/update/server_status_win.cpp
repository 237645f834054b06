#include <windows.h>

#include "core/launcher_app.h"
#include "core/process_values_win.h"
#include "core/text_file.h"
#include "update/download_limits.h"
#include "update/server_status.h"

namespace {
constexpr char kStatusFile[] = "estado_temporal.json";
}

// Status workers never overlap (workers_win.cpp), so the one temporary file is never shared.
int32_t FetchPlayersOnline() {
  if (app == nullptr || app->launcherInfo.web.empty()) return -1;
  DeleteFileA(kStatusFile);
  if (!app->DownloadFile(StatusAddress(app->launcherInfo.web), kStatusFile, 0, CappedAt(kServerStatusCap))) return -1;
  std::string text;
  ReadTextFile(kStatusFile, text);
  DeleteFileA(kStatusFile);
  return PlayersOnlineFromText(text);
}
