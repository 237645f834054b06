// The verification run: which listed game files are missing or different.
#include <windows.h>

#include <algorithm>
#include <ctime>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/modes.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "ui/ui_text.h"
#include "update/messages_win.h"
#include "update/ordered_work.h"
#include "update/self_update_win.h"
#include "update/sha256_win.h"
#include "update/verification.h"
#include "update/verification_cache.h"

namespace {

constexpr DWORD kReportIntervalMs = 100;
// A first install lists every file; the log names this many and counts the rest.
constexpr std::size_t kPendingLinesLogged = 100;

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

// What checking one listed file found; the run applies it in listing order.
struct FileCheck {
  bool skipped = false;  // the running launcher: never checked
  FileFacts facts;
  std::string hash;      // empty when the file is absent or cannot be read
  bool trusted = false;  // the remembered entry matched size and last-write time
  bool hashed = false;   // passed to Sha256File (absent files too)
};

FileCheck CheckFile(const std::string& path, const std::string& launcherName, bool quick,
                    const CacheEntry* remembered) {
  FileCheck check;
  // The launcher's own files are never taken from the site, so they are not compared with it either.
  if (IsRunningLauncher(path) || IsLauncherOwnFile(path, launcherName)) {
    check.skipped = true;
    return check;
  }
  // A path that could never be written here (a device name, a drive, "..") is not opened either:
  // opening a device such as COM1 can block. It stays pending like a missing file.
  check.facts = IsSafeRelativePath(path) ? ReadFileFacts(path) : FileFacts();
  if (quick && check.facts.present && remembered != nullptr && remembered->size == check.facts.size &&
      remembered->lastWriteTime == check.facts.lastWriteTime) {
    check.hash = DigestToHex(remembered->hash);
    check.trusted = true;
    return check;
  }
  check.hash = check.facts.present ? Sha256File(path) : std::string();
  check.hashed = true;
  return check;
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

  const ManifestFiles& files = remoteManifest.files;
  const int total = static_cast<int>(files.size());
  int processed = 0;
  int hashed = 0;
  int trustedByDate = 0;
  DWORD lastReport = 0;
  const DWORD start = GetTickCount();
  const std::string launcherName = RunningLauncherName();

  // Files are checked on several threads; their results are applied here one by one in listing order, so the
  // pending list, the cache, the counts and the messages come out as a single thread would give them, and every
  // message still leaves from this thread. A worker reads only its own file's cache entry, which is rewritten here
  // only once that file's result has been handed over.
  RunInOrder<FileCheck>(
      files.size(), WorkThreads(),
      [&](std::size_t index) {
        try {
          return CheckFile(std::string(files.PathAt(index)), launcherName, quick, verificationCache.Find(index));
        } catch (...) {
          FileCheck failed;  // treated as unreadable: pending, never trusted
          failed.hashed = true;
          return failed;
        }
      },
      [&](std::size_t index, const FileCheck& check) {
        const std::string_view path = files.PathAt(index);
        ++processed;
        if (check.skipped) return;
        if (check.trusted) ++trustedByDate;
        if (check.hashed) {
          ++hashed;
          CacheEntry fresh{check.facts.size, check.facts.lastWriteTime, {}};
          if (check.facts.present && DigestFromHex(check.hash, fresh.hash)) {
            verificationCache.Set(index, fresh);
          } else {
            verificationCache.Erase(index);
          }
        }
        if (check.hash != files.EntryAt(index).hash) pendingFiles.push_back(std::string(path));

        const DWORD tick = GetTickCount();
        if (processed == total || tick - lastReport >= kReportIntervalMs) {
          lastReport = tick;
          SendToWindow(reportWindow, UM_PROGRESS, 0, static_cast<LPARAM>(processed * 100LL / total));
          SendTextToWindow(reportWindow, UM_STATUS, CheckingFileStatus(std::string(path)));
          SendTextToWindow(reportWindow, UM_DETAIL, FileCountDetail(processed, total));
        }
      });

  if (!quick) cacheVerifiedAt = now;
  SaveVerificationCache();

  PrintLine("Archivos verificados: " + std::to_string(processed));
  PrintLine("Archivos faltantes o diferentes: " + std::to_string(pendingFiles.size()));
  Log("Verificacion %s: %d archivos en manifest, %d faltantes o diferentes (%d leidos, %d por fecha, %lu ms)",
      quick ? "rapida" : "completa", total, static_cast<int>(pendingFiles.size()), hashed, trustedByDate,
      static_cast<unsigned long>(GetTickCount() - start));
  const std::size_t named = std::min(pendingFiles.size(), kPendingLinesLogged);
  for (std::size_t i = 0; i < named; ++i) Log("  FALTA O DIFIERE: %s", pendingFiles[i].c_str());
  if (pendingFiles.size() > named) {
    Log("  ... y otros %d archivos que faltan o difieren", static_cast<int>(pendingFiles.size() - named));
  }

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
