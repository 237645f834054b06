#pragma once
// What the last verification runs learnt about each game file, and the lines of verificacion.cache that keep it.
// Lines are as read or written in text mode (CR LF on disk).
//
// The cache belongs to one manifest: it holds at most one entry per listed file, by the file's place in the
// listing, so no path is stored twice. A line of the file for a path the manifest does not list is passed over as
// it is read; it would never be written again anyway.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "update/manifest.h"

using Sha256Digest = std::array<uint8_t, 32>;

struct CacheEntry {
  int64_t size = 0;
  uint64_t lastWriteTime = 0;  // FILETIME: 100-ns units since 1601-01-01 UTC, high half << 32 | low half
  Sha256Digest hash{};         // as Sha256File gave it
};

// The 64 lower-case hexadecimal characters Sha256File writes; false for any other text.
bool DigestFromHex(std::string_view hex, Sha256Digest& digest);
std::string DigestToHex(const Sha256Digest& digest);

class VerificationCache {
 public:
  // Forgets every entry and makes room for a listing of `files` files.
  void Reset(std::size_t files);
  // Number of files with an entry.
  std::size_t size() const { return known_; }
  // The entry of the file at `file` in the listing's path order, or null.
  const CacheEntry* Find(std::size_t file) const;
  void Set(std::size_t file, const CacheEntry& entry);
  void Erase(std::size_t file);

 private:
  std::vector<CacheEntry> entries_;
  std::vector<unsigned char> known_flags_;  // a byte each: a run writes one file's flag while others read theirs
  std::size_t known_ = 0;
};

extern const char kVerificationCacheHeader[];  // "VANDREL-CACHE 1"

// Gives the next line without its line feed; false at the end.
using LineSource = std::function<bool(std::string& line)>;

// Replaces `cache` (sized for `files`) and `verifiedAt` with what the lines hold. False when the first line does not
// begin with the header (another format, or nothing at all): the cache is then empty and the caller logs that it is
// rebuilt. Malformed entry lines, and lines for paths `files` does not list, are passed over one by one.
bool ReadVerificationCache(const LineSource& next, const ManifestFiles& files, VerificationCache& cache,
                           int64_t& verifiedAt);

// The file's lines, each handed to `put` without its line feed: header, `verifiedAt`, then one line per file of
// `files` that has an entry, in path order. A path holding a line feed is left out: it could not be read back.
void WriteVerificationCache(const std::function<void(const std::string& line)>& put, const VerificationCache& cache,
                            int64_t verifiedAt, const ManifestFiles& files);
