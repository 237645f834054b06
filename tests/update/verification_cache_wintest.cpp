#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/scratch_dir_win.h"
#include "update/verification_cache_win.h"

namespace {

const std::string kHash(64, 'e');

class VerificationCacheFile : public ::testing::Test {
 protected:
  ScratchDir dir;
  const std::string cache = dir / "verificacion.cache";
  const std::string temporary = cache + ".tmp";
};

TEST_F(VerificationCacheFile, SaveWritesCrLfLinesThatLoadBack) {
  ManifestFiles files;
  files["data|1/a.pak"] = {kHash, 10};
  VerificationCache entries;
  entries.Reset(files.size());
  CacheEntry entry{10, 133000000000000000ULL, {}};
  ASSERT_TRUE(DigestFromHex(kHash, entry.hash));
  entries.Set(0, entry);
  SaveVerificationCacheFile(cache.c_str(), entries, -5, files);

  EXPECT_EQ(ReadFileBytes(cache), "VANDREL-CACHE 1\r\n-5\r\ndata|1/a.pak|10|133000000000000000|" + kHash + "\r\n");
  EXPECT_FALSE(FileExists(temporary));

  VerificationCache loaded;
  int64_t verifiedAt = 0;
  EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, loaded, verifiedAt), CacheFileLoad::Loaded);
  EXPECT_EQ(verifiedAt, -5);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded.Find(0)->lastWriteTime, 133000000000000000ULL);
}

TEST_F(VerificationCacheFile, LoadReportsMissingAndForeignFiles) {
  ManifestFiles files;
  files["p"] = {kHash, 1};
  VerificationCache entries;
  entries.Reset(1);
  entries.Set(0, CacheEntry());
  int64_t verifiedAt = 9;
  EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, entries, verifiedAt), CacheFileLoad::Missing);
  EXPECT_EQ(entries.size(), 0u);
  EXPECT_EQ(verifiedAt, 0);

  ASSERT_TRUE(WriteFileBytes(cache, "VANDREL-CACHE 0\r\n7\r\np|1|1|" + kHash + "\r\n"));
  EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, entries, verifiedAt), CacheFileLoad::Foreign);
  EXPECT_EQ(entries.size(), 0u);
  EXPECT_EQ(verifiedAt, 0);

  ASSERT_TRUE(WriteFileBytes(cache, ""));
  EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, entries, verifiedAt), CacheFileLoad::Foreign);
}

TEST_F(VerificationCacheFile, OldFileStaysWhenTheTemporaryCannotBeCreated) {
  const std::string old = "VANDREL-CACHE 1\r\n1\r\n";
  ASSERT_TRUE(WriteFileBytes(cache, old));
  ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));  // a folder where the temporary file would go
  SaveVerificationCacheFile(cache.c_str(), VerificationCache(), 2, ManifestFiles());
  EXPECT_EQ(ReadFileBytes(cache), old);
}

TEST_F(VerificationCacheFile, LockedTargetKeepsTheOldFileUntilTheNextSave) {
  const std::string old = "VANDREL-CACHE 1\r\n1\r\n";
  ASSERT_TRUE(WriteFileBytes(cache, old));
  HANDLE lock = CreateFileA(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE) << GetLastError();
  SaveVerificationCacheFile(cache.c_str(), VerificationCache(), 2, ManifestFiles());
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(cache), old);
  EXPECT_EQ(ReadFileBytes(temporary), "VANDREL-CACHE 1\r\n2\r\n");

  // The next save overwrites the left-over temporary file and replaces the old one.
  SaveVerificationCacheFile(cache.c_str(), VerificationCache(), 3, ManifestFiles());
  EXPECT_EQ(ReadFileBytes(cache), "VANDREL-CACHE 1\r\n3\r\n");
  EXPECT_FALSE(FileExists(temporary));
}

}  // namespace
