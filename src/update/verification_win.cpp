// The verification run: which listed game files are missing or different.
#include <windows.h>

#include <ctime>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/modes.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "ui/ui_text.h"
#include "update/messages_win.h"
#include "update/self_update_win.h"
#include "update/sha256_win.h"
#include "update/verification.h"

namespace {

constexpr DWORD kReportIntervalMs = 100;

struct FileFacts {
  bool present = false;
  int64_t size = 0;
  uint64_t lastWriteTime = 0;
};

FileFacts ReadFileFacts(const std::string& path) {
  FileFacts facts;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    facts.present = true;
    facts.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    facts.lastWriteTime =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  }
  return facts;
}

}  // namespace

void LauncherApp::VerifyGameFiles() {
  SendTextToWindow(reportWindow, UM_STATUS, UiTextUtf8(TXT_CHECKING_LAUNCHER));
  SendTextToWindow(reportWindow, UM_DETAIL, "");
  SendToWindow(reportWindow, UM_PROGRESS, 0, 0);

  if (reportWindow != nullptr && !selfUpdateChecked) {
    selfUpdateChecked = true;
    if (CheckLauncherUpdate(*this)) {
      SendToWindow(reportWindow, UM_INSTALL_LAUNCHER);
      return;
    }
  }

  SendTextToWindow(reportWindow, UM_STATUS, UiTextUtf8(TXT_CHECKING_GAME_FILES));
  if (!FetchRemoteManifest()) {
    SendTextToWindow(reportWindow, UM_STATUS, UiTextUtf8(TXT_UPDATE_SERVER_UNREACHABLE));
    SendTextToWindow(reportWindow, UM_DETAIL, UiTextUtf8(TXT_CHECK_CONNECTION));
    Log("Verificacion: ERROR al conectar con el servidor");
    SendTextToWindow(reportWindow, UM_FAILED, "");
    return;
  }

  pendingFiles.clear();
  LoadVerificationCache();
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  const bool quick = ChooseQuickRun(fullVerification, verificationCache.size(), cacheVerifiedAt, now);

  const int total = static_cast<int>(remoteManifest.files.size());
  int processed = 0;
  int hashed = 0;
  int trustedByDate = 0;
  DWORD lastReport = 0;
  const DWORD start = GetTickCount();

  for (const auto& [path, entry] : remoteManifest.files) {
    // The launcher's own files are never taken from the site, so they are not compared with it either.
    if (IsRunningLauncher(path) || IsLauncherOwnFile(path, RunningLauncherName())) {
      ++processed;
      continue;
    }
    // A path that could never be written here (a device name, a drive, "..") is not opened either:
    // opening a device such as COM1 can block. It stays pending like a missing file.
    const FileFacts facts = IsSafeRelativePath(path) ? ReadFileFacts(path) : FileFacts();

    std::string hash;
    bool haveHash = false;
    if (quick && facts.present) {
      const auto cached = verificationCache.find(path);
      if (cached != verificationCache.end() && cached->second.size == facts.size &&
          cached->second.lastWriteTime == facts.lastWriteTime) {
        hash = cached->second.hash;
        ++trustedByDate;
        haveHash = !hash.empty();
      }
    }
    if (!haveHash) {
      hash = facts.present ? Sha256File(path) : std::string();
      ++hashed;
      if (facts.present && !hash.empty()) {
        verificationCache[path] = CacheEntry{facts.size, facts.lastWriteTime, hash};
      } else {
        verificationCache.erase(path);
      }
    }
    if (hash != entry.hash) pendingFiles.push_back(path);

    ++processed;
    const DWORD tick = GetTickCount();
    if (processed == total || tick - lastReport >= kReportIntervalMs) {
      lastReport = tick;
      SendToWindow(reportWindow, UM_PROGRESS, 0, static_cast<LPARAM>(processed * 100LL / total));
      SendTextToWindow(reportWindow, UM_STATUS, CheckingFileStatus(path));
      SendTextToWindow(reportWindow, UM_DETAIL, FileCountDetail(processed, total));
    }
  }

  if (!quick) cacheVerifiedAt = now;
  SaveVerificationCache();

  PrintLine("Archivos verificados: " + std::to_string(processed));
  PrintLine("Archivos faltantes o diferentes: " + std::to_string(pendingFiles.size()));
  Log("Verificacion %s: %d archivos en manifest, %d faltantes o diferentes (%d leidos, %d por fecha, %lu ms)",
      quick ? "rapida" : "completa", total, static_cast<int>(pendingFiles.size()), hashed, trustedByDate,
      static_cast<unsigned long>(GetTickCount() - start));
  for (const std::string& path : pendingFiles) Log("  FALTA O DIFIERE: %s", path.c_str());

  if (pendingFiles.empty() && !remoteManifest.version.empty() && localVersion != remoteManifest.version) {
    Log("Todo al dia; version.txt decia %s y pasa a %s", localVersion.c_str(), remoteManifest.version.c_str());
    SaveLocalVersion(remoteManifest.version);
  }
  SendToWindow(reportWindow, UM_CHECK_RESULT, pendingFiles.empty() ? 0 : 1);
}

int RunHeadlessVerification(bool quick) {
  Log("=== MODO VERIFICAR ===");
  LauncherApp verifier(nullptr);
  verifier.LoadLocalVersion();
  if (!quick) verifier.fullVerification = true;
  verifier.VerifyGameFiles();
  return 0;
}
