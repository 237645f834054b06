#include "update/install_paths.h"

#include <gtest/gtest.h>

#include "ui/ui_text.h"

namespace {

// Store addresses and destinations are checked by the repair run against the test server.
TEST(InstallPaths, ZipEntryNames) {
  const struct {
    const char* name;
    const char* relative;
    bool directory;
  } cases[] = {
      {"data/maps/x.bin", "data\\maps\\x.bin", false}, {"data/", "data", true}, {"data\\sub\\", "data\\sub", true},
      {"a//", "a", true}, {"file", "file", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EntryRelativePath(c.name), c.relative) << "zip entry name as a Windows path: " << c.name;
    EXPECT_EQ(IsDirectoryEntry(c.name), c.directory) << "a trailing slash makes a folder: " << c.name;
  }
}

TEST(InstallPaths, ProgressLines) {
  SelectUiLanguage("es");
  EXPECT_EQ(StoreDetail(3, 12, 1572864, 20971520), "3 de 12 archivos \xC2\xB7 1.5 de 20.0 MB");
  // The size part keeps to its 64-byte line even for absurd sizes.
  const std::string huge = StoreDetail(1, 1, INT64_MAX, INT64_MAX);
  EXPECT_LE(huge.size() - huge.find("\xC2\xB7 ") - 3, 63u);
}

}  // namespace
