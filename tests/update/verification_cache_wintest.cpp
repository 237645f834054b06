#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/scratch_dir_win.h"
#include "update/verification_cache_win.h"

namespace {

const std::string kHash(64, 'e');

TEST(VerificationCacheFile, SavedCrLfLinesLoadBackAndOtherFilesAreToldApart) {
  ScratchDir dir;
  const std::string cache = dir / "verificacion.cache";
  ManifestFiles files;
  files["data|1/a.pak"] = {kHash, 10};
  VerificationCache entries;
  entries.Reset(files.size());
  CacheEntry entry{10, 133000000000000000ULL, {}};
  ASSERT_TRUE(DigestFromHex(kHash, entry.hash));
  entries.Set(0, entry);
  SaveVerificationCacheFile(cache.c_str(), entries, -5, files);
  EXPECT_EQ(ReadFileBytes(cache), "VANDREL-CACHE 1\r\n-5\r\ndata|1/a.pak|10|133000000000000000|" + kHash + "\r\n");
  EXPECT_FALSE(FileExists(cache + ".tmp")) << "the temporary file replaced the cache";

  const struct {
    const char* content;  // null: no file
    CacheFileLoad load;
    std::size_t entries;
    int64_t verifiedAt;
  } cases[] = {
      {"", CacheFileLoad::Foreign, 0, 0},
      {"VANDREL-CACHE 0\r\n7\r\ndata|1/a.pak|1|1|eeee\r\n", CacheFileLoad::Foreign, 0, 0},
      {nullptr, CacheFileLoad::Missing, 0, 0},
      {"VANDREL-CACHE 1\r\n-5\r\ndata|1/a.pak|10|133000000000000000|eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee\r\n",
       CacheFileLoad::Loaded, 1, -5},
  };
  for (const auto& c : cases) {
    DeleteFileA(cache.c_str());
    if (c.content) ASSERT_TRUE(WriteFileBytes(cache, c.content));
    VerificationCache loaded;
    loaded.Reset(1);
    loaded.Set(0, CacheEntry());
    int64_t verifiedAt = 9;
    EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, loaded, verifiedAt), c.load) << c.content;
    EXPECT_EQ(loaded.size(), c.entries) << "nothing stays from before: " << c.content;
    EXPECT_EQ(verifiedAt, c.verifiedAt) << c.content;
    if (c.entries) EXPECT_EQ(loaded.Find(0)->lastWriteTime, 133000000000000000ULL);
  }
}

// A save that cannot finish leaves the old file whole; the next one that can replaces it.
TEST(VerificationCacheFile, OldFileStaysUntilASaveCanReplaceIt) {
  ScratchDir dir;
  const std::string cache = dir / "verificacion.cache";
  const std::string old = "VANDREL-CACHE 1\r\n1\r\n";
  ASSERT_TRUE(WriteFileBytes(cache, old));
  ASSERT_TRUE(CreateDirectoryA((cache + ".tmp").c_str(), nullptr));  // a folder where the temporary file would go
  SaveVerificationCacheFile(cache.c_str(), VerificationCache(), 2, ManifestFiles());
  EXPECT_EQ(ReadFileBytes(cache), old) << "no temporary file could be made";
  ASSERT_TRUE(RemoveDirectoryA((cache + ".tmp").c_str()));

  HANDLE lock = CreateFileA(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE) << GetLastError();
  SaveVerificationCacheFile(cache.c_str(), VerificationCache(), 3, ManifestFiles());
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(cache), old) << "the cache was held open";
  EXPECT_EQ(ReadFileBytes(cache + ".tmp"), "VANDREL-CACHE 1\r\n3\r\n");

  SaveVerificationCacheFile(cache.c_str(), VerificationCache(), 4, ManifestFiles());
  EXPECT_EQ(ReadFileBytes(cache), "VANDREL-CACHE 1\r\n4\r\n") << "the left-over temporary file is overwritten";
  EXPECT_FALSE(FileExists(cache + ".tmp"));
}

}  // namespace
