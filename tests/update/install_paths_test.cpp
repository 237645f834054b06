#include "update/install_paths.h"

#include <gtest/gtest.h>

#include "ui/ui_text.h"

namespace {

TEST(InstallPaths, StoreAddressAndDestination) {
  const std::string hash = "3f" + std::string(62, 'a');
  EXPECT_EQ(StoreAddress("https://u.example/v", hash), "https://u.example/v/archivos/3f/" + hash);
  EXPECT_EQ(StoreDestination("data/maps/x.bin"), ".\\data\\maps\\x.bin");
  EXPECT_EQ(StoreDestination("top.txt"), ".\\top.txt");
  EXPECT_EQ(ParentDirectory(".\\data\\maps\\x.bin"), ".\\data\\maps");
  EXPECT_EQ(ParentDirectory(".\\top.txt"), ".");
}

TEST(InstallPaths, ZipEntryNames) {
  struct Case {
    const char* name;
    const char* relative;
    bool directory;
  } const cases[] = {
      {"data/maps/x.bin", "data\\maps\\x.bin", false},
      {"data/", "data", true},
      {"data\\sub\\", "data\\sub", true},
      {"a//", "a", true},
      {"/", "", true},
      {"file", "file", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EntryRelativePath(c.name), c.relative) << c.name;
    EXPECT_EQ(IsDirectoryEntry(c.name), c.directory) << c.name;
  }
}

TEST(InstallPaths, ProgressLines) {
  SelectUiLanguage("es");
  EXPECT_EQ(StoreDetail(3, 12, 1572864, 20971520), "3 de 12 archivos \xC2\xB7 1.5 de 20.0 MB");
  EXPECT_EQ(StoreStatus("data/x.pak"), "Descargando \xC2\xB7 data/x.pak");
  SelectUiLanguage("en");
  EXPECT_EQ(StoreDetail(1, 1, 0, 0), "1 of 1 files \xC2\xB7 0.0 of 0.0 MB");
  // The size part keeps to its 64-byte line even for absurd sizes.
  const std::string huge = StoreDetail(1, 1, INT64_MAX, INT64_MAX);
  EXPECT_LE(huge.size() - huge.find("\xC2\xB7 ") - 3, 63u);
  SelectUiLanguage("es");
}

}  // namespace
