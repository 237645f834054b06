#pragma once
// What the last verification runs learnt about each game file, and the text of verificacion.cache that keeps it.
// The file's text as read or written in text mode (lines end in LF here, CR LF on disk).

#include <cstdint>
#include <map>
#include <string>

#include "update/manifest.h"

struct CacheEntry {
  int64_t size = 0;
  uint64_t lastWriteTime = 0;  // FILETIME: 100-ns units since 1601-01-01 UTC, high half << 32 | low half
  std::string hash;
};

// Keyed by the path exactly as in the manifest, ordered byte by byte.
using VerificationCache = std::map<std::string, CacheEntry>;

extern const char kVerificationCacheHeader[];  // "VANDREL-CACHE 1"

// Replaces `cache` and `verifiedAt` with what `text` holds. False when the text does not begin with the header line
// (another format, or nothing at all): the cache is then empty and the caller logs that it is rebuilt. Malformed
// entry lines are skipped one by one.
bool ParseVerificationCache(const std::string& text, VerificationCache& cache, int64_t& verifiedAt);

// The file's text: header, `verifiedAt`, then one line per path of `manifestFiles` that `cache` has, in path order.
// A path holding a line feed is left out, since it could not be read back as one line.
std::string FormatVerificationCache(const VerificationCache& cache, int64_t verifiedAt,
                                    const ManifestFiles& manifestFiles);
