// Benchmarks of the update engine's I/O, run under Wine by scripts/bench. Prints figures only.
//   bench_win manifest <file>     parse a manifest the way the verification run does
//   bench_win sha256 <file>       hash a file with Sha256File
//   bench_win download <url> <destination> <expected size>
//   bench_win extract <archive> <target folder>
//   bench_win store <update site url> <manifest file>   (run in the folder to repair; every file pending)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/launcher_app.h"
#include "core/text_file.h"
#include "update/repair_win.h"
#include "update/sha256_win.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Read as the launcher reads the manifest, in text mode.
std::string ReadAll(const char* path) {
  std::string text;
  ReadTextFile(path, text);
  return text;
}

long long FileSize(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_win manifest|sha256|download ...\n");
    return 2;
  }
  const std::string what = argv[1];
  LauncherApp app(nullptr);
  if (what == "manifest") {
    const std::string text = ReadAll(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = app.ParseManifest(text);
    std::printf("ParseManifest: %zu entries, %.1f MB, %.0f ms%s\n", app.remoteManifest.files.size(),
                text.size() / 1e6, SecondsSince(start) * 1000, ok ? "" : " (FAILED)");
    return ok ? 0 : 1;
  }
  if (what == "sha256") {
    const auto start = std::chrono::steady_clock::now();
    const std::string hash = Sha256File(argv[2]);
    const double seconds = SecondsSince(start);
    std::printf("Sha256File: %.0f MB/s (%.2f s) %s\n", FileSize(argv[2]) / 1e6 / seconds, seconds, hash.c_str());
    return hash.empty() ? 1 : 0;
  }
  if (what == "download" && argc >= 5) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = app.DownloadFile(argv[2], argv[3], std::atoll(argv[4]));
    const double seconds = SecondsSince(start);
    std::printf("DownloadFile: %.0f MB/s (%.2f s)%s\n", FileSize(argv[3]) / 1e6 / seconds, seconds,
                ok ? "" : " (FAILED)");
    return ok ? 0 : 1;
  }
  if (what == "extract" && argc >= 4) {
    CreateDirectoryA(argv[3], nullptr);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = ExtractPatch(app, argv[2], argv[3]);
    std::fprintf(stderr, "ExtractPatch: %.2f s%s\n", SecondsSince(start), ok ? "" : " (FAILED)");
    return ok ? 0 : 1;
  }
  if (what == "store" && argc >= 4) {
    app.updateUrl = argv[2];
    if (!app.ParseManifest(ReadAll(argv[3]))) return 1;
    for (const auto& entry : app.remoteManifest.files) app.pendingFiles.push_back(std::string(entry.first));
    const auto start = std::chrono::steady_clock::now();
    const bool ok = DownloadFromStore(app);
    std::printf("DownloadFromStore: %zu files, %.2f s%s\n", app.pendingFiles.size(), SecondsSince(start),
                ok ? "" : " (FAILED)");
    return ok ? 0 : 1;
  }
  std::fprintf(stderr, "unknown benchmark %s\n", what.c_str());
  return 2;
}
