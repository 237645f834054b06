#include "update/verification_cache_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

// Text mode ("t") on purpose: lines are CR LF on disk and LF in memory, as the format expects.

CacheFileLoad LoadVerificationCacheFile(const char* path, VerificationCache& cache, int64_t& verifiedAt) {
  cache.clear();
  verifiedAt = 0;
  FILE* file = std::fopen(path, "rt");
  if (!file) return CacheFileLoad::Missing;
  std::string text;
  char buffer[64 * 1024];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return ParseVerificationCache(text, cache, verifiedAt) ? CacheFileLoad::Loaded : CacheFileLoad::Foreign;
}

void SaveVerificationCacheFile(const char* path, const VerificationCache& cache, int64_t verifiedAt,
                               const ManifestFiles& manifestFiles) {
  const std::string temporary = std::string(path) + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wt");
  if (!file) return;
  const std::string text = FormatVerificationCache(cache, verifiedAt, manifestFiles);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  // Unlike rename(), this replaces an existing target in one step.
  MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}
