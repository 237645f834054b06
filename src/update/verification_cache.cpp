#include "update/verification_cache.h"

#include <cstdlib>

const char kVerificationCacheHeader[] = "VANDREL-CACHE 1";

namespace {

const std::size_t kHeaderLength = sizeof(kVerificationCacheHeader) - 1;
const std::size_t kHashLength = 64;

// Leading decimal number: optional blanks and sign, digits up to the first other character, 0 without digits.
// strtoll saturates instead of overflowing on absurd values.
int64_t LeadingInt64(const std::string& field) { return std::strtoll(field.c_str(), nullptr, 10); }

uint64_t LeadingUint64(const std::string& field) { return std::strtoull(field.c_str(), nullptr, 10); }

// Fields are found from the right, so the path may hold "|" itself.
bool ParseEntryLine(const std::string& line, std::string& path, CacheEntry& entry) {
  const std::size_t a = line.rfind('|');
  if (a == std::string::npos || a == 0) return false;
  const std::size_t b = line.rfind('|', a - 1);
  if (b == std::string::npos || b == 0) return false;
  const std::size_t c = line.rfind('|', b - 1);
  if (c == std::string::npos || c == 0) return false;
  if (line.size() - (a + 1) != kHashLength) return false;
  path = line.substr(0, c);
  entry.size = LeadingInt64(line.substr(c + 1, b - c - 1));
  entry.lastWriteTime = LeadingUint64(line.substr(b + 1, a - b - 1));
  entry.hash = line.substr(a + 1);
  return true;
}

}  // namespace

bool ParseVerificationCache(const std::string& text, VerificationCache& cache, int64_t& verifiedAt) {
  cache.clear();
  verifiedAt = 0;
  std::size_t pos = 0;
  std::size_t lineNumber = 0;
  // A final line without a line feed still counts; an empty rest after the last line feed is no line.
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (lineNumber == 1) {
      if (line.compare(0, kHeaderLength, kVerificationCacheHeader) != 0) return false;
    } else if (lineNumber == 2) {
      verifiedAt = LeadingInt64(line);
    } else {
      std::string path;
      CacheEntry entry;
      if (ParseEntryLine(line, path, entry)) cache[path] = std::move(entry);
    }
  }
  return lineNumber > 0;
}

std::string FormatVerificationCache(const VerificationCache& cache, int64_t verifiedAt,
                                    const ManifestFiles& manifestFiles) {
  std::string text = kVerificationCacheHeader;
  text += '\n';
  text += std::to_string(verifiedAt);
  text += '\n';
  for (const auto& file : manifestFiles) {
    const auto found = cache.find(file.first);
    if (found == cache.end() || file.first.find('\n') != std::string::npos) continue;
    const CacheEntry& entry = found->second;
    text += file.first;
    text += '|';
    text += std::to_string(entry.size);
    text += '|';
    text += std::to_string(entry.lastWriteTime);
    text += '|';
    text += entry.hash;
    text += '\n';
  }
  return text;
}
