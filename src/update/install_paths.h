#pragma once
// Where repaired files go and what the update run shows about them. Portable: no Windows calls.
#include <cstdint>
#include <string>

// SHA-256 of empty input: a listed empty file is placed without asking the store for it.
extern const char kEmptySha256[];

// updateUrl + "/archivos/" + first two hash characters + "/" + hash.
std::string StoreAddress(const std::string& updateUrl, const std::string& hash);

// ".\" + the manifest path with every "/" turned into "\".
std::string StoreDestination(const std::string& manifestPath);

// The destination up to, not including, its last backslash ("." for a top-level file).
std::string ParentDirectory(const std::string& destination);

// "3 de 12 archivos · 1.5 de 20.0 MB" in the current interface language, UTF-8; the size part is cut
// at 63 bytes as its fixed buffer would.
std::string StoreDetail(int placed, int fileCount, int64_t doneBytes, int64_t totalBytes);

// "<downloading> · <path>" in the current interface language, UTF-8.
std::string StoreStatus(const std::string& path);

// A zip entry's name turned into a path relative to the target: "/" becomes "\" and trailing
// separators go. Empty when nothing is left.
std::string EntryRelativePath(const std::string& entryName);

// Directory entries end in a separator.
bool IsDirectoryEntry(const std::string& entryName);
