#include "core/single_instance.h"

#include <cstdint>
#include <cstdio>

std::string FolderLockName(const std::string& folderKey) {
  // FNV-1a, 64 bits: no security rests on it, only the chance that two folders of one machine collide.
  uint64_t hash = 14695981039346656037ull;
  for (const char c : folderKey) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\VandrelLauncher-%016llx", static_cast<unsigned long long>(hash));
  return name;
}
