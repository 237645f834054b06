#include "update/verification_cache.h"

#include <cstdlib>

const char kVerificationCacheHeader[] = "VANDREL-CACHE 1";

namespace {

const std::size_t kHeaderLength = sizeof(kVerificationCacheHeader) - 1;
const std::size_t kHashLength = 64;
const char kHex[] = "0123456789abcdef";

// Leading decimal number: optional blanks and sign, digits up to the first other character, 0 without digits.
// strtoll saturates instead of overflowing on absurd values.
int64_t LeadingInt64(const std::string& field) { return std::strtoll(field.c_str(), nullptr, 10); }

uint64_t LeadingUint64(const std::string& field) { return std::strtoull(field.c_str(), nullptr, 10); }

// Fields are found from the right, so the path may hold "|" itself. A hash that Sha256File could not have written
// (another length, upper case, other characters) is no entry: the file is simply hashed again.
bool ParseEntryLine(const std::string& line, std::string& path, CacheEntry& entry) {
  const std::size_t a = line.rfind('|');
  if (a == std::string::npos || a == 0) return false;
  const std::size_t b = line.rfind('|', a - 1);
  if (b == std::string::npos || b == 0) return false;
  const std::size_t c = line.rfind('|', b - 1);
  if (c == std::string::npos || c == 0) return false;
  if (line.size() - (a + 1) != kHashLength || !DigestFromHex(std::string_view(line).substr(a + 1), entry.hash)) {
    return false;
  }
  path.assign(line, 0, c);
  entry.size = LeadingInt64(line.substr(c + 1, b - c - 1));
  entry.lastWriteTime = LeadingUint64(line.substr(b + 1, a - b - 1));
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool DigestFromHex(std::string_view hex, Sha256Digest& digest) {
  if (hex.size() != kHashLength) return false;
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    digest[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

std::string DigestToHex(const Sha256Digest& digest) {
  std::string text;
  text.reserve(kHashLength);
  for (uint8_t b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

void VerificationCache::Reset(std::size_t files) {
  entries_.assign(files, CacheEntry());
  known_flags_.assign(files, 0);
  known_ = 0;
}

const CacheEntry* VerificationCache::Find(std::size_t file) const {
  return file < known_flags_.size() && known_flags_[file] ? &entries_[file] : nullptr;
}

void VerificationCache::Set(std::size_t file, const CacheEntry& entry) {
  if (file >= entries_.size()) return;
  if (!known_flags_[file]) ++known_;
  known_flags_[file] = 1;
  entries_[file] = entry;
}

void VerificationCache::Erase(std::size_t file) {
  if (file >= entries_.size() || !known_flags_[file]) return;
  known_flags_[file] = 0;
  --known_;
}

bool ReadVerificationCache(const LineSource& next, const ManifestFiles& files, VerificationCache& cache,
                           int64_t& verifiedAt) {
  cache.Reset(files.size());
  verifiedAt = 0;
  std::string line;
  if (!next(line) || line.compare(0, kHeaderLength, kVerificationCacheHeader) != 0) return false;
  if (next(line)) verifiedAt = LeadingInt64(line);
  std::string path;
  CacheEntry entry;
  // A later line for the same path replaces an earlier one.
  while (next(line)) {
    if (!ParseEntryLine(line, path, entry)) continue;
    const auto listed = files.find(path);
    if (listed != files.end()) cache.Set(listed.index(), entry);
  }
  return true;
}

void WriteVerificationCache(const std::function<void(const std::string& line)>& put, const VerificationCache& cache,
                            int64_t verifiedAt, const ManifestFiles& files) {
  put(kVerificationCacheHeader);
  put(std::to_string(verifiedAt));
  std::string line;
  for (std::size_t file = 0; file < files.size(); ++file) {
    const CacheEntry* entry = cache.Find(file);
    const std::string_view path = files.PathAt(file);
    if (entry == nullptr || path.find('\n') != std::string_view::npos) continue;
    line.assign(path.data(), path.size());
    line += '|';
    line += std::to_string(entry->size);
    line += '|';
    line += std::to_string(entry->lastWriteTime);
    line += '|';
    line += DigestToHex(entry->hash);
    put(line);
  }
}
