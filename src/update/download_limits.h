#pragma once
// Bounds on one download, so that a broken or hostile site can neither fill the disk nor hold a run for hours.
#include <cstdint>

struct DownloadLimits {
  int64_t maxBytes = INT64_MAX;          // a body longer than this fails the attempt
  int64_t lowSpeedBytesPerSecond = 1024; // an attempt whose rate stays below this ...
  int64_t lowSpeedSeconds = 60;          // ... for this long fails (as curl's low-speed limit)
};

// The small documents have fixed caps, far above anything the publisher writes.
constexpr int64_t kLatestCap = 4096;                // latest.txt: one version line
constexpr int64_t kManifestCap = 64LL * 1048576;    // manifest.json: some 450,000 files
constexpr int64_t kLauncherInfoCap = 65536;         // launcher.json
constexpr int64_t kServerStatusCap = 65536;         // estado.php
constexpr int64_t kSignatureCap = 4096;             // a ".firma" sidecar: a few signature lines

inline DownloadLimits CappedAt(int64_t maxBytes) {
  DownloadLimits limits;
  limits.maxBytes = maxBytes;
  return limits;
}
