// Benchmarks of the update engine and the references they are compared with, run under Wine by scripts/bench.
// Each mode is one process doing one job, so that scripts/bench times whole processes. Prints figures only.
//   bench_win download <url> <destination> <expected size>
//   bench_win extract <archive> <target folder>
//   bench_win store <update site url> <manifest file>   (run in the folder to repair; every file pending)
// References, our own code over the platform's calls:
//   bench_win hashref capi|cng <list>          SHA-256 of every listed file: one CryptoAPI context (or one reusable
//                                              CNG hash object) and one buffer for all, on one thread
//   bench_win statloop <list>                  the attributes of every listed file
//   bench_win winhttp <url> <destination>      a bare WinHTTP GET written to a file
#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <unzip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/launcher_app.h"
#include "core/text_file.h"
#include "core/unique_file.h"
#include "update/repair_win.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long long FileSize(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The extraction writes only listed files: every entry of the archive is listed, with its own size.
void ListEveryEntry(const char* archive, Manifest& manifest) {
  unzFile zip = unzOpen(archive);
  if (zip == nullptr) return;
  for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
    char name[512] = {};
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) == UNZ_OK) {
      manifest.files[name] = ManifestEntry{std::string(64, '0'), static_cast<int64_t>(info.uncompressed_size)};
    }
  }
  unzClose(zip);
}

std::vector<std::string> ReadList(const char* path) {
  std::vector<std::string> lines;
  UniqueFile file(std::fopen(path, "rt"));
  std::string line;
  while (file && ReadLine(file.get(), line)) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

constexpr DWORD kBlock = 1 << 20;

// Feeds every listed file to `update` through one buffer; the bytes read.
template <typename Update>
long long ReadFiles(const std::vector<std::string>& paths, Update update) {
  std::unique_ptr<BYTE[]> buffer(new BYTE[kBlock]);
  long long total = 0;
  for (const std::string& path : paths) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    DWORD read = 0;
    while (ReadFile(file, buffer.get(), kBlock, &read, nullptr) && read > 0) {
      update(buffer.get(), read, false);
      total += read;
    }
    update(nullptr, 0, true);
    CloseHandle(file);
  }
  return total;
}

long long HashWithCryptoApi(const std::vector<std::string>& paths) {
  HCRYPTPROV context = 0;
  if (!CryptAcquireContextA(&context, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return -1;
  HCRYPTHASH hash = 0;
  const long long total = ReadFiles(paths, [&](const BYTE* data, DWORD size, bool last) {
    if (hash == 0) CryptCreateHash(context, CALG_SHA_256, 0, 0, &hash);
    if (!last) {
      CryptHashData(hash, data, size, 0);
      return;
    }
    BYTE digest[32];
    DWORD length = sizeof digest;
    CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0);
    CryptDestroyHash(hash);
    hash = 0;
  });
  CryptReleaseContext(context, 0);
  return total;
}

long long HashWithCng(const std::vector<std::string>& paths) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_HASH_REUSABLE_FLAG) != 0 ||
      BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, BCRYPT_HASH_REUSABLE_FLAG) != 0) {
    return -1;
  }
  const long long total = ReadFiles(paths, [&](const BYTE* data, DWORD size, bool last) {
    UCHAR digest[32];
    if (last) {
      BCryptFinishHash(hash, digest, sizeof digest, 0);
    } else {
      BCryptHashData(hash, const_cast<PUCHAR>(data), size, 0);
    }
  });
  BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return total;
}

bool BareWinHttpGet(const std::string& url, const char* destination) {
  const std::wstring wide(url.begin(), url.end());
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof parts;
  wchar_t host[256] = {}, path[2048] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2048;
  if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return false;
  HINTERNET session = WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  HINTERNET connection = WinHttpConnect(session, host, parts.nPort, 0);
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", path, nullptr, nullptr, nullptr, 0);
  bool ok = request && WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) &&
            WinHttpReceiveResponse(request, nullptr);
  UniqueFile out(std::fopen(destination, "wb"));
  std::vector<char> buffer(1 << 20);
  DWORD read = 0;
  while (ok && out && WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) && read > 0) {
    std::fwrite(buffer.data(), 1, read, out.get());
  }
  WinHttpCloseHandle(request);
  WinHttpCloseHandle(connection);
  WinHttpCloseHandle(session);
  return ok && out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_win download|extract|store|hashref|statloop|winhttp ...\n");
    return 2;
  }
  const std::string what = argv[1];
  LauncherApp app(nullptr);
  const auto start = std::chrono::steady_clock::now();
  if (what == "download" && argc >= 5) {
    const bool ok = app.DownloadFile(argv[2], argv[3], std::atoll(argv[4]));
    std::printf("DownloadFile: %.0f MB/s\n", FileSize(argv[3]) / 1e6 / SecondsSince(start));
    return ok ? 0 : 1;
  }
  if (what == "extract" && argc >= 4) {
    CreateDirectoryA(argv[3], nullptr);
    ListEveryEntry(argv[2], app.remoteManifest);
    return ExtractPatch(app, argv[2], argv[3]) ? 0 : 1;
  }
  if (what == "store" && argc >= 4) {
    app.updateUrl = argv[2];
    std::string text;
    ReadTextFile(argv[3], text);
    if (!app.ParseManifest(text)) return 1;
    for (const auto& entry : app.remoteManifest.files) app.pendingFiles.push_back(std::string(entry.first));
    return DownloadFromStore(app) ? 0 : 1;
  }
  if (what == "hashref" && argc >= 4) {
    const std::vector<std::string> paths = ReadList(argv[3]);
    const long long bytes = std::string(argv[2]) == "cng" ? HashWithCng(paths) : HashWithCryptoApi(paths);
    std::printf("%s: %zu files, %.0f MB/s\n", argv[2], paths.size(), bytes / 1e6 / SecondsSince(start));
    return bytes < 0 ? 1 : 0;
  }
  if (what == "statloop") {
    int present = 0;
    for (const std::string& path : ReadList(argv[2])) {
      WIN32_FILE_ATTRIBUTE_DATA data;
      present += GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? 1 : 0;
    }
    std::printf("statloop: %d files\n", present);
    return 0;
  }
  if (what == "winhttp" && argc >= 4) return BareWinHttpGet(argv[2], argv[3]) ? 0 : 1;
  std::fprintf(stderr, "unknown benchmark %s\n", what.c_str());
  return 2;
}
