#include "update/self_update_win.h"

#include <windows.h>
#include <shellapi.h>

#include "core/command_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/module_path_win.h"
#include "core/text_file.h"
#include "ui/ui_text.h"
#include "update/messages_win.h"
#include "update/sha256_win.h"
#include "update/signature_win.h"

namespace {

constexpr char kDescriptionFile[] = "launcher_remote.json";
constexpr int kDeleteAttempts = 15;
constexpr DWORD kDeleteWaitMs = 200;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::string LauncherExePath() {
  const std::string path = ModulePath();
  return path.empty() ? std::string("launcher.exe") : path;
}

bool ParseLauncherInfo(LauncherApp& app, const std::string& text) {
  app.launcherInfo = ParseLauncherInfoText(text, app.updateUrl);
  return !app.launcherInfo.hash.empty();
}

bool CheckLauncherUpdate(LauncherApp& app) {
  DeleteFileA(kDescriptionFile);
  const std::string descriptionUrl = app.updateUrl + "/launcher/launcher.json";
  if (!app.DownloadFile(descriptionUrl, kDescriptionFile, 0, CappedAt(kLauncherInfoCap))) {
    Log("Sin launcher.json en el servidor; se sigue con el launcher actual");
    return false;
  }
  if (!AcceptSignedDocument(app, descriptionUrl, kDescriptionFile, "launcher.json")) {
    DeleteFileA(kDescriptionFile);
    return false;
  }
  std::string text;
  ReadTextFile(kDescriptionFile, text);
  DeleteFileA(kDescriptionFile);
  if (!ParseLauncherInfo(app, text)) {
    Log("launcher.json sin hash valido; se ignora");
    return false;
  }
  const LauncherInfo& info = app.launcherInfo;
  SendToWindow(app.reportWindow, UM_LAUNCHER_INFO, 0, reinterpret_cast<LPARAM>(&app.launcherInfo));

  const std::string exePath = LauncherExePath();
  const std::string ownHash = Sha256File(exePath);
  if (ownHash == info.hash) {
    Log("Launcher al dia (%s)", info.version.c_str());
    return false;
  }
  Log("Hay un launcher nuevo: %s (propio %s, servidor %s)", info.version.c_str(), ownHash.substr(0, 12).c_str(),
      info.hash.substr(0, 12).c_str());
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_DOWNLOADING_LAUNCHER));
  SendTextToWindow(app.reportWindow, UM_DETAIL, UiTextUtf8(TXT_VERSION) + " " + info.version);

  const std::string newPath = exePath + ".nuevo";
  DeleteFileA(newPath.c_str());
  if (!app.DownloadFile(info.url, newPath, info.size, info.size > 0 ? CappedAt(info.size) : DownloadLimits())) {
    Log("No se pudo descargar el launcher nuevo de %s", info.url.c_str());
    DeleteFileA(newPath.c_str());
    return false;
  }
  const std::string newHash = Sha256File(newPath);
  if (newHash != info.hash) {
    Log("ABORTADO: el launcher descargado no coincide. Esperado %s, obtenido %s", info.hash.c_str(), newHash.c_str());
    DeleteFileA(newPath.c_str());
    return false;
  }
  Log("Launcher nuevo verificado: %s", newHash.c_str());
  return true;
}

bool InstalarLauncherNuevo() {
  const std::string current = LauncherExePath();
  const std::string fresh = current + ".nuevo";
  const std::string old = current + ".viejo";
  if (!Exists(fresh)) {
    Log("InstalarLauncherNuevo: no existe %s", fresh.c_str());
    return false;
  }
  DeleteFileA(old.c_str());
  // A running executable can be renamed but not overwritten or deleted. The two renames follow each
  // other directly and reach the disk before returning, so that a crash or a power cut leaves the
  // launcher's name empty for as short a time as possible.
  constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (!MoveFileExA(current.c_str(), old.c_str(), kMoveFlags)) {
    Log("No se pudo apartar el launcher actual (error %lu)", GetLastError());
    return false;
  }
  if (!MoveFileExA(fresh.c_str(), current.c_str(), kMoveFlags)) {
    Log("No se pudo colocar el launcher nuevo (error %lu); se deja el actual", GetLastError());
    if (!MoveFileExA(old.c_str(), current.c_str(), kMoveFlags)) {
      Log("No se pudo devolver el launcher actual a su sitio (error %lu)", GetLastError());
    }
    return false;
  }
  const std::string directory = LauncherDirectory();
  // The new launcher is told that it restarts, so that it waits for this one to close instead of
  // taking it for a second start and ending.
  const INT_PTR result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", current.c_str(), kRestartSwitch, directory.c_str(), SW_SHOWNORMAL));
  if (result > 32) {
    Log("Launcher nuevo instalado y arrancado");
  } else {
    Log("El launcher nuevo esta instalado pero no se pudo arrancar (codigo %d)", static_cast<int>(result));
  }
  return true;
}

void RemoveOldLauncher() {
  const std::string old = LauncherExePath() + ".viejo";
  if (!Exists(old)) return;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (DeleteFileA(old.c_str())) {
      Log("Borrado el launcher anterior (%s)", old.c_str());
      return;
    }
    Sleep(kDeleteWaitMs);
  }
  Log("No se pudo borrar %s todavia; se intentara en el proximo arranque", old.c_str());
}
