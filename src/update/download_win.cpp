// Every file from the update site and the web site comes through DownloadFile: one GET streamed
// into one file, three attempts, progress to the window when the size is known.
#include <windows.h>
#include <winhttp.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/log_line.h"
#include "core/unique_file.h"
#include "core/unique_handle_win.h"
#include "update/kept_session_win.h"
#include "update/messages_win.h"

using UniqueInternet = UniqueHandle<HINTERNET, &::WinHttpCloseHandle>;

struct KeptSession::Handles {
  UniqueInternet session;
  UniqueInternet connection;  // closed before its session
  std::wstring host;
  INTERNET_PORT port = 0;
};

KeptSession::KeptSession() : handles(std::make_unique<Handles>()) {}
KeptSession::~KeptSession() = default;

namespace {

constexpr wchar_t kUserAgent[] = L"VandrelLauncher/2.0";
constexpr DWORD kResolveTimeoutMs = 5000;
constexpr DWORD kConnectTimeoutMs = 5000;
constexpr DWORD kSendTimeoutMs = 10000;
constexpr DWORD kReceiveTimeoutMs = 30000;
constexpr DWORD kReadBlock = 8192;
constexpr DWORD kHostRoom = 256;
constexpr DWORD kPathRoom = 2048;

// Each byte becomes one UTF-16 unit; the launcher's URLs are ASCII.
std::wstring WidenBytes(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char c : text) wide += static_cast<wchar_t>(static_cast<signed char>(c));
  return wide;
}

// The Content-Length the server announced, or -1 when there is none (chunked or close-delimited).
long long AnnouncedLength(HINTERNET request) {
  wchar_t value[32] = {};
  DWORD size = sizeof value;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, value, &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return -1;
  }
  wchar_t* end = nullptr;
  const long long length = std::wcstoll(value, &end, 10);
  return (end == value || length < 0) ? -1 : length;
}

enum class Attempt { Done, Failed, NotFound };

std::string NoWideArguments(const wchar_t*, size_t) { return std::string(); }

// A log line, or with notes a line kept for the caller to log in its own order.
void Note(DownloadNotes* notes, const char* format, ...) VANDREL_PRINTF_FORMAT(2, 3);
void Note(DownloadNotes* notes, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = FormatLogMessage(format, args, NoWideArguments);
  va_end(args);
  if (notes != nullptr) {
    notes->logged.push_back(std::move(message));
  } else {
    Log("%s", message.c_str());
  }
}

void LogTooLong(DownloadNotes* notes, const std::string& url, const DownloadLimits& limits) {
  Note(notes, "Descarga cortada: %s pasa de %lld bytes", url.c_str(), static_cast<long long>(limits.maxBytes));
}

// Counts the bytes of one time window; the attempt is too slow when a whole window falls short of the rate.
class LowSpeedWatch {
 public:
  explicit LowSpeedWatch(const DownloadLimits& limits) : limits_(limits), start_(GetTickCount64()) {}
  bool TooSlow(DWORD read) {
    bytes_ += read;
    const uint64_t now = GetTickCount64();
    const uint64_t elapsedMs = now - start_;
    if (elapsedMs < static_cast<uint64_t>(limits_.lowSpeedSeconds) * 1000) return false;
    if (static_cast<uint64_t>(bytes_) * 1000 < static_cast<uint64_t>(limits_.lowSpeedBytesPerSecond) * elapsedMs) {
      return true;
    }
    start_ = now;
    bytes_ = 0;
    return false;
  }

 private:
  const DownloadLimits& limits_;
  uint64_t start_;
  int64_t bytes_ = 0;
};

Attempt TryDownload(HWND reportWindow, KeptSession::Handles& kept, const std::string& url,
                    const std::string& destination, int64_t expectedSize, const DownloadLimits& limits,
                    DownloadNotes* notes) {
  if (!kept.session) {
    kept.session.reset(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
    if (!kept.session) return Attempt::Failed;
    WinHttpSetTimeouts(kept.session.get(), kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
  }

  const std::wstring wideUrl = WidenBytes(url);
  wchar_t host[kHostRoom] = {};
  wchar_t path[kPathRoom] = {};
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = kHostRoom;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = kPathRoom;
  if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return Attempt::Failed;

  if (!kept.connection || kept.host != host || kept.port != parts.nPort) {
    kept.connection.reset(WinHttpConnect(kept.session.get(), host, parts.nPort, 0));
    if (!kept.connection) return Attempt::Failed;
    kept.host = host;
    kept.port = parts.nPort;
  }
  const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  UniqueInternet request(WinHttpOpenRequest(kept.connection.get(), L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
  if (!request) return Attempt::Failed;
  // The session's receive time-out does not cover the wait for the response headers everywhere
  // (Wine waits for as long as the server stalls); this option bounds that wait as well.
  DWORD responseTimeout = kReceiveTimeoutMs;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);

  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return Attempt::Failed;
  }

  DWORD status = 0;
  DWORD statusSize = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
    status = 0;
  }
  if (status != 200) {
    Note(notes, "Descarga rechazada, el servidor respondio %lu: %s", status, url.c_str());
    return status == 404 ? Attempt::NotFound : Attempt::Failed;
  }

  const long long announced = AnnouncedLength(request.get());
  if (announced > limits.maxBytes) {
    LogTooLong(notes, url, limits);
    return Attempt::Failed;
  }
  UniqueFile file(std::fopen(destination.c_str(), "wb"));
  if (!file) return Attempt::Failed;

  std::vector<char> block(kReadBlock);
  LowSpeedWatch watch(limits);
  long long received = 0;
  bool broken = false;
  DWORD read = 0;
  do {
    read = 0;
    if (!WinHttpReadData(request.get(), block.data(), kReadBlock, &read)) {
      broken = true;
      break;
    }
    if (read > limits.maxBytes - received) {
      LogTooLong(notes, url, limits);
      broken = true;
      break;
    }
    // A short write (a full disk) would leave a file that looks complete to callers without a hash.
    if (read > 0 && std::fwrite(block.data(), 1, read, file.get()) != read) {
      broken = true;
      break;
    }
    received += read;
    if (expectedSize > 0) {
      const long long percent = received * 100 / expectedSize;
      SendToWindow(reportWindow, UM_PROGRESS, 0, static_cast<LPARAM>(percent));
    }
    if (read > 0 && watch.TooSlow(read)) {
      Note(notes, "Descarga cortada por lenta (menos de %lld bytes/s durante %lld s): %s",
           static_cast<long long>(limits.lowSpeedBytesPerSecond), static_cast<long long>(limits.lowSpeedSeconds),
           url.c_str());
      broken = true;
      break;
    }
  } while (read > 0);

  if (std::fclose(file.release()) != 0) broken = true;
  // A connection closed early can end like a complete body; the announced length tells them apart.
  if (announced >= 0 && received < announced) broken = true;
  if (!broken && received > 0) return Attempt::Done;
  // A partial file is never left behind: a full disk must not stay full.
  DeleteFileA(destination.c_str());
  return Attempt::Failed;
}

// Every attempt after a failed one starts on a fresh session: a connection that broke is not tried again.
bool DownloadWithRetries(HWND reportWindow, KeptSession::Handles& kept, const std::string& url,
                         const std::string& destination, int64_t expectedSize, const DownloadLimits& limits,
                         DownloadNotes* notes) {
  for (int attempt = 1, waitMs = 1000; waitMs <= 3000; ++attempt, waitMs += 1000) {
    if (attempt > 1) {
      const std::string notice = "Reintentando descarga (intento " + std::to_string(attempt) + ")...";
      if (notes != nullptr) {
        notes->printed.push_back(notice);
      } else {
        PrintLine(notice);
      }
      Sleep(static_cast<DWORD>(waitMs));
    }
    switch (TryDownload(reportWindow, kept, url, destination, expectedSize, limits, notes)) {
      case Attempt::Done:
        return true;
      case Attempt::NotFound:
        return false;
      case Attempt::Failed:
        kept.connection.reset();
        kept.session.reset();
        break;
    }
  }
  return false;
}

}  // namespace

bool LauncherApp::DownloadFile(const std::string& url, const std::string& destination, int64_t expectedSize,
                               const DownloadLimits& limits) {
  KeptSession::Handles own;
  return DownloadWithRetries(reportWindow, own, url, destination, expectedSize, limits, nullptr);
}

bool DownloadKept(KeptSession& kept, const std::string& url, const std::string& destination,
                  const DownloadLimits& limits, DownloadNotes& notes) {
  return DownloadWithRetries(nullptr, *kept.handles, url, destination, 0, limits, &notes);
}
