// Repair file by file: each pending file is fetched from the store by its hash, verified, then moved into place.
// Several files are fetched and hashed at once, so that the server's delay per request is paid once per few files;
// everything the player or the log sees is applied afterwards in listing order, as a single loop would do it.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "core/unique_file.h"
#include "update/install_paths.h"
#include "update/kept_session_win.h"
#include "update/messages_win.h"
#include "update/ordered_work.h"
#include "update/place_file_win.h"
#include "update/repair_win.h"
#include "update/sha256_win.h"

namespace {

constexpr unsigned kDownloadsInFlight = 4;
// Files fetched and waiting for an earlier one to be placed.
constexpr std::size_t kWaitingFiles = 8;
// Every file has a temporary of its own until it is placed, so no two downloads ever share one: a file may start
// while the one kWaitingFiles before it is still being placed, hence one name more. The names are among the
// launcher's own files, so no listed file can land on one.
constexpr std::size_t kTemporaries = kWaitingFiles + 1;

std::string TemporaryFor(std::size_t item) { return "descarga_temporal" + std::to_string(item % kTemporaries) + ".tmp"; }

void DeleteTemporaries() {
  for (std::size_t i = 0; i < kTemporaries; ++i) DeleteFileA(TemporaryFor(i).c_str());
}

// A listed empty file: the store answers an empty body, which a download counts as a failure, so it is
// made here instead. It still goes through the same verification and move as a downloaded file.
bool MakeEmptyTemporary(const std::string& temporary) {
  UniqueFile file(std::fopen(temporary.c_str(), "wb"));
  return file != nullptr && std::fclose(file.release()) == 0;
}

// What a pending path calls for, decided before anything is fetched.
enum class Plan { Fetch, NotListed, Unsafe, RunningLauncher, LauncherOwn, OddHash };

struct Fetched {
  bool fetched = false;
  std::string hash;  // of the temporary, empty when it could not be read
  DownloadNotes notes;
};

struct Stopped {};

// Sessions kept for the downloads in flight, each used by one download at a time.
class SessionPool {
 public:
  std::unique_ptr<KeptSession> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_.empty()) return std::make_unique<KeptSession>();
    std::unique_ptr<KeptSession> session = std::move(idle_.back());
    idle_.pop_back();
    return session;
  }
  void Give(std::unique_ptr<KeptSession> session) {
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(session));
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<KeptSession>> idle_;
};

}  // namespace

bool DownloadFromStore(LauncherApp& app) {
  const ManifestFiles& files = app.remoteManifest.files;
  const std::vector<std::string>& pending = app.pendingFiles;
  const int fileCount = static_cast<int>(pending.size());
  int64_t totalBytes = 0;
  for (const std::string& path : pending) {
    const auto entry = files.find(path);
    if (entry != files.end()) totalBytes += entry->second.size;
  }
  Log("Descarga por ficheros: %d ficheros, %.2f MB", fileCount, totalBytes / 1048576.0);

  // The run stops at the first path that cannot be fetched at all: nothing after it is started.
  const std::string runningName = RunningLauncherName();
  std::vector<Plan> plans;
  std::vector<std::size_t> listed;  // where each path stands in the manifest
  for (const std::string& path : pending) {
    const auto found = files.find(path);
    const SitePath kind = ClassifySitePath(path, runningName);
    const Plan plan = found == files.end()              ? Plan::NotListed
                      : kind == SitePath::Unsafe          ? Plan::Unsafe
                      : kind == SitePath::RunningLauncher ? Plan::RunningLauncher
                      : kind == SitePath::LauncherOwn     ? Plan::LauncherOwn
                      : found->second.hash.size() != 64   ? Plan::OddHash
                                                          : Plan::Fetch;
    plans.push_back(plan);
    listed.push_back(found == files.end() ? 0 : found.index());
    if (plan == Plan::NotListed || plan == Plan::OddHash) break;
  }

  // Once a file has failed, the ones after it are no longer fetched: the run will stop at it or before.
  std::atomic<std::size_t> firstFailed{plans.size()};
  const auto markFailed = [&](std::size_t item) {
    std::size_t seen = firstFailed.load();
    while (item < seen && !firstFailed.compare_exchange_weak(seen, item)) {
    }
  };
  SessionPool sessions;
  const auto fetch = [&](std::size_t item) {
    Fetched result;
    if (plans[item] != Plan::Fetch || item > firstFailed.load()) return result;
    try {
      const ManifestEntry entry = files.EntryAt(listed[item]);
      const std::string temporary = TemporaryFor(item);
      DeleteFileA(temporary.c_str());
      if (entry.hash == kEmptySha256) {
        result.fetched = MakeEmptyTemporary(temporary);
      } else {
        std::unique_ptr<KeptSession> session = sessions.Take();
        // No more bytes than the manifest lists: a store file cannot fill the disk.
        result.fetched = DownloadKept(*session, StoreAddress(app.updateUrl, entry.hash), temporary,
                                      CappedAt(entry.size), result.notes);
        sessions.Give(std::move(session));
      }
      if (result.fetched) result.hash = Sha256File(temporary);
      if (!result.fetched || result.hash != entry.hash) markFailed(item);
    } catch (...) {
      result.fetched = false;
      markFailed(item);
    }
    return result;
  };

  int placed = 0;
  int64_t doneBytes = 0;
  const auto place = [&](std::size_t item, const Fetched& result) {
    const std::string& path = pending[item];
    switch (plans[item]) {
      case Plan::NotListed:
        Log("El manifiesto no tiene hash para %s", path.c_str());
        throw Stopped();
      case Plan::Unsafe:
        Log("Ruta insegura en el manifiesto, ignorada: %s", path.c_str());
        return;
      case Plan::RunningLauncher:
        Log("Omitido (es el launcher en ejecucion): %s", path.c_str());
        return;
      case Plan::LauncherOwn:
        Log("Omitido (es un archivo del propio launcher): %s", path.c_str());
        return;
      case Plan::OddHash:
        Log("Hash con formato raro para %s", path.c_str());
        throw Stopped();
      case Plan::Fetch:
        break;
    }
    for (const std::string& line : result.notes.logged) Log("%s", line.c_str());
    for (const std::string& line : result.notes.printed) PrintLine(line);
    const ManifestEntry entry = files.EntryAt(listed[item]);
    if (!result.fetched) {
      Log("No se pudo descargar %s (%s)", path.c_str(), StoreAddress(app.updateUrl, entry.hash).c_str());
      throw Stopped();
    }
    if (result.hash != entry.hash) {
      Log("ABORTADO: %s llego alterado. Esperado %s, obtenido %s", path.c_str(), entry.hash.c_str(),
          result.hash.c_str());
      throw Stopped();
    }
    const std::string destination = StoreDestination(path);
    CreateDirectories(ParentDirectory(destination));
    if (!PlaceFile(TemporaryFor(item), destination)) {
      Log("No se pudo colocar %s (error %lu)", destination.c_str(), GetLastError());
      throw Stopped();
    }
    ++placed;
    doneBytes += entry.size;

    if (app.reportWindow != nullptr) {
      if (totalBytes > 0) SendToWindow(app.reportWindow, UM_PROGRESS, 0, static_cast<LPARAM>(doneBytes * 100 / totalBytes));
      SendTextToWindow(app.reportWindow, UM_STATUS, StoreStatus(path));
      SendTextToWindow(app.reportWindow, UM_DETAIL, StoreDetail(placed, fileCount, doneBytes, totalBytes));
    }
  };

  bool complete = true;
  try {
    RunInOrder<Fetched>(plans.size(), kDownloadsInFlight, fetch, place, kWaitingFiles);
  } catch (const Stopped&) {
    complete = false;
  } catch (...) {
    DeleteTemporaries();
    throw;
  }
  // Files fetched after the one that stopped the run are dropped with their temporaries.
  DeleteTemporaries();
  if (!complete) return false;
  Log("Descarga por ficheros terminada: %d de %d ficheros", placed, fileCount);
  return true;
}
