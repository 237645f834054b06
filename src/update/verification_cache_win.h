#pragma once
// Reading and replacing verificacion.cache on disk. The file is another program's input too, so a save never leaves
// it half written: the new copy goes to the path + ".tmp" and is then moved over it. Both ways stream line by line;
// the file is never held whole.

#include <cstdint>

#include "update/manifest.h"
#include "update/verification_cache.h"

constexpr char kVerificationCacheFile[] = "verificacion.cache";

enum class CacheFileLoad {
  Missing,  // no file (or it cannot be opened): empty cache, nothing to report
  Foreign,  // no header or another format: empty cache, the caller logs that it is rebuilt
  Loaded,
};

// Replaces `cache` (sized for `files`) and `verifiedAt` with the file's entries for the files listed.
CacheFileLoad LoadVerificationCacheFile(const char* path, const ManifestFiles& files, VerificationCache& cache,
                                        int64_t& verifiedAt);

// Writes the entries of the files `files` lists. Failures are silent: when the temporary file cannot be created the
// old file stays; when the final move fails the temporary file stays until the next save.
void SaveVerificationCacheFile(const char* path, const VerificationCache& cache, int64_t verifiedAt,
                               const ManifestFiles& files);
