#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/scratch_dir_win.h"
#include "update/verification_cache_win.h"

namespace {

const std::string kHash(64, 'e');

TEST(VerificationCacheFile, ReplacedInOneStepWithCrLfLinesAndReadBack) {
  ScratchDir dir;
  const std::string cache = dir / "verificacion.cache";
  const std::string old = "VANDREL-CACHE 1\r\n1\r\n";
  const std::string saved = "VANDREL-CACHE 1\r\n-5\r\ndata|1/a.pak|10|133000000000000000|" + kHash + "\r\n";
  ManifestFiles files;
  files["data|1/a.pak"] = {kHash, 10};
  VerificationCache entries;
  entries.Reset(files.size());
  CacheEntry entry{10, 133000000000000000ULL, {}};
  ASSERT_TRUE(DigestFromHex(kHash, entry.hash));
  entries.Set(0, entry);
  ASSERT_TRUE(WriteFileBytes(cache, old));
  HANDLE lock = CreateFileA(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE) << GetLastError();
  SaveVerificationCacheFile(cache.c_str(), entries, -5, files);
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(cache), old) << "a save that cannot replace the cache leaves the old one whole";
  SaveVerificationCacheFile(cache.c_str(), entries, -5, files);
  EXPECT_EQ(ReadFileBytes(cache), saved) << "the next save replaces it, over the left-over temporary file";
  EXPECT_FALSE(FileExists(cache + ".tmp")) << "the temporary file became the cache";

  VerificationCache loaded;
  int64_t verifiedAt = 9;
  EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, loaded, verifiedAt), CacheFileLoad::Loaded);
  EXPECT_EQ(std::to_string(verifiedAt) + " " + std::to_string(loaded.Find(0) ? loaded.Find(0)->lastWriteTime : 0),
            "-5 133000000000000000")
      << "the time of the last full run and the file's time read back";
  DeleteFileA(cache.c_str());
  EXPECT_EQ(LoadVerificationCacheFile(cache.c_str(), files, loaded, verifiedAt), CacheFileLoad::Missing);
  EXPECT_EQ(loaded.size(), 0u) << "nothing stays from before when there is no cache";
}

}  // namespace
