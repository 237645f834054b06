#pragma once
// Decisions and texts of the verification run that need no file system. Portable.
#include <cstdint>
#include <string>

// A quick run may trust remembered hashes only while the last full run is at most this old.
constexpr int64_t kQuickRunMaxAgeSeconds = 604800;

// Quick when not forced full, the cache has entries and the last full run is neither in the
// future (a clock set back) nor older than seven days.
bool ChooseQuickRun(bool fullVerification, size_t cacheEntries, int64_t cacheVerifiedAt, int64_t now);

// "<checking files> · <path>" in the current interface language, UTF-8.
std::string CheckingFileStatus(const std::string& path);

// "<processed> <of> <total> <files>" in the current interface language, UTF-8.
std::string FileCountDetail(int processed, int total);
