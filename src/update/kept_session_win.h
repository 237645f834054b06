#pragma once
// Downloads that keep their WinHTTP session from one request to the next, for a caller that fetches many
// files from one site: the connection stays open instead of being set up again for every file.
#include <memory>
#include <string>
#include <vector>

#include "update/download_limits.h"

// What a download would have written to the log and to standard output, kept for the caller to pass on
// in its own order when several downloads run at once.
struct DownloadNotes {
  std::vector<std::string> logged;
  std::vector<std::string> printed;
};

// A session and a connection kept between downloads. Used by one thread at a time.
class KeptSession {
 public:
  KeptSession();
  ~KeptSession();
  KeptSession(const KeptSession&) = delete;
  KeptSession& operator=(const KeptSession&) = delete;

  struct Handles;
  std::unique_ptr<Handles> handles;
};

// LauncherApp::DownloadFile with no progress messages, over the kept session: the same attempts, waits,
// limits and results, its log lines and retry notices going into notes instead. A failed attempt drops the
// kept session, so a retry starts on a fresh connection.
bool DownloadKept(KeptSession& kept, const std::string& url, const std::string& destination,
                  const DownloadLimits& limits, DownloadNotes& notes);
