#include "update/verification_cache_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/text_file.h"

// Text mode ("t") on purpose: lines are CR LF on disk and LF in memory, as the format expects.

CacheFileLoad LoadVerificationCacheFile(const char* path, VerificationCache& cache, int64_t& verifiedAt) {
  cache.clear();
  verifiedAt = 0;
  std::string text;
  if (!ReadTextFile(path, text)) return CacheFileLoad::Missing;
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
