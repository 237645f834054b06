#include "update/install_paths.h"

#include <cstdio>

#include "ui/ui_text.h"

const char kEmptySha256[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

namespace {
const char kMiddleDot[] = " \xC2\xB7 ";
constexpr double kMiB = 1048576.0;
}  // namespace

std::string StoreAddress(const std::string& updateUrl, const std::string& hash) {
  return updateUrl + "/archivos/" + hash.substr(0, 2) + "/" + hash;
}

std::string StoreDestination(const std::string& manifestPath) {
  std::string destination = ".\\" + manifestPath;
  for (char& c : destination) {
    if (c == '/') c = '\\';
  }
  return destination;
}

std::string ParentDirectory(const std::string& destination) {
  const size_t slash = destination.rfind('\\');
  return slash == std::string::npos ? std::string(".") : destination.substr(0, slash);
}

std::string StoreDetail(int placed, int fileCount, int64_t doneBytes, int64_t totalBytes) {
  char sizeLine[64];
  std::snprintf(sizeLine, sizeof sizeLine, "%.1f %s %.1f MB", doneBytes / kMiB, UiTextUtf8(TXT_OF).c_str(),
                totalBytes / kMiB);
  return std::to_string(placed) + " " + UiTextUtf8(TXT_OF) + " " + std::to_string(fileCount) + " " +
         UiTextUtf8(TXT_FILES) + kMiddleDot + sizeLine;
}

std::string StoreStatus(const std::string& path) { return UiTextUtf8(TXT_DOWNLOADING) + kMiddleDot + path; }

std::string EntryRelativePath(const std::string& entryName) {
  std::string path = entryName;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool IsDirectoryEntry(const std::string& entryName) {
  return !entryName.empty() && (entryName.back() == '/' || entryName.back() == '\\');
}
