#include "update/verification_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

const std::string kHash(64, 'c');

ManifestFiles Listing(std::initializer_list<const char*> paths) {
  ManifestFiles files;
  for (const char* path : paths) files[path] = {kHash, 1};
  return files;
}

CacheEntry Entry(int64_t size, uint64_t time, const std::string& hash = kHash) {
  CacheEntry entry{size, time, {}};
  EXPECT_TRUE(DigestFromHex(hash, entry.hash)) << hash;
  return entry;
}

// The text as the file's lines, the way the reader gets them: a last line without a line feed counts.
bool Read(const std::string& text, const ManifestFiles& files, VerificationCache& cache, int64_t& verifiedAt) {
  std::size_t at = 0;
  return ReadVerificationCache(
      [&](std::string& line) {
        if (at >= text.size()) return false;
        const std::size_t end = std::min(text.find('\n', at), text.size());
        line = text.substr(at, end - at);
        at = end + 1;
        return true;
      },
      files, cache, verifiedAt);
}

std::string Text(const VerificationCache& cache, int64_t verifiedAt, const ManifestFiles& files) {
  std::string text;
  WriteVerificationCache([&](const std::string& line) { text += line + "\n"; }, cache, verifiedAt, files);
  return text;
}

std::size_t IndexOf(const ManifestFiles& files, const std::string& path) { return files.find(path).index(); }

TEST(VerificationCache, WritesListedEntriesInPathOrderAndReadsThemBack) {
  const ManifestFiles files = Listing({"\xC3\xA9t\xC3\xA9", "b", "a|b||c", "not-hashed-yet", "bad\nname"});
  const std::string digits = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  VerificationCache cache;
  cache.Reset(files.size());
  cache.Set(IndexOf(files, "b"), Entry(INT64_MIN, UINT64_MAX, digits));
  cache.Set(IndexOf(files, "\xC3\xA9t\xC3\xA9"), Entry(5, 6));
  cache.Set(IndexOf(files, "a|b||c"), Entry(12, 133456789012345678ULL));  // bars inside the path
  cache.Set(IndexOf(files, "bad\nname"), Entry(9, 9));                    // cannot be one line: left out
  const std::string text = Text(cache, -1234567, files);
  EXPECT_EQ(text, "VANDREL-CACHE 1\n-1234567\na|b||c|12|133456789012345678|" + kHash +
                      "\nb|-9223372036854775808|18446744073709551615|" + digits + "\n\xC3\xA9t\xC3\xA9|5|6|" + kHash + "\n");
  VerificationCache loaded;
  int64_t verifiedAt = 0;
  ASSERT_TRUE(Read(text, files, loaded, verifiedAt));
  EXPECT_EQ(verifiedAt, -1234567);
  EXPECT_EQ(loaded.size(), 3u);
  EXPECT_EQ(Text(loaded, verifiedAt, files), text) << "read back unchanged";
  EXPECT_EQ(Text(VerificationCache(), 0, ManifestFiles()), "VANDREL-CACHE 1\n0\n");
}

TEST(VerificationCache, EntryLinesAreCheckedOneByOne) {
  struct Case {
    std::string line;
    bool kept;
    std::string path;
    int64_t size;
    uint64_t time;
  };
  const Case cases[] = {
      {"p|1|2|" + kHash, true, "p", 1, 2},
      {"a|b|c|-5|7|" + kHash, true, "a|b|c", -5, 7},
      {"p| +12xyz|0042abc|" + kHash, true, "p", 12, 42},
      {"p|size|time|" + kHash, true, "p", 0, 0},
      {"p|||" + kHash, true, "p", 0, 0},
      {"p|1|2|" + std::string(64, '?'), false, "", 0, 0},  // no hash Sha256File could have written
      {"p|1|2|" + std::string(64, 'C'), false, "", 0, 0},
      {"gone.dat|1|2|" + kHash, false, "", 0, 0},          // a file the manifest no longer lists
      {"|1|2|" + kHash, false, "", 0, 0},
      {"1|2|" + kHash, false, "", 0, 0},
      {"p|1|2|" + kHash.substr(1), false, "", 0, 0},
      {"p|1|2|" + kHash + "c", false, "", 0, 0},
      {"p|1|2|" + kHash + "\r", false, "", 0, 0},
      {"p|1|2|", false, "", 0, 0},
      {"", false, "", 0, 0},
  };
  for (const Case& c : cases) {
    // Each line between two good ones: a bad line must cost only itself.
    const std::string text = "VANDREL-CACHE 1\n5\nfirst|1|1|" + kHash + "\n" + c.line + "\nlast|1|1|" + kHash;
    const ManifestFiles files = Listing({"first", "last", "p", "a|b|c"});
    VerificationCache cache;
    int64_t verifiedAt = 0;
    ASSERT_TRUE(Read(text, files, cache, verifiedAt)) << c.line;
    EXPECT_TRUE(cache.Find(IndexOf(files, "first")) && cache.Find(IndexOf(files, "last"))) << c.line;
    EXPECT_EQ(cache.size(), c.kept ? 3u : 2u) << c.line;
    if (!c.kept) continue;
    const CacheEntry* entry = cache.Find(IndexOf(files, c.path));
    ASSERT_NE(entry, nullptr) << c.line;
    EXPECT_EQ(entry->size, c.size) << c.line;
    EXPECT_EQ(entry->lastWriteTime, c.time) << c.line;
  }
}

TEST(VerificationCache, HeaderAndTimeLines) {
  struct Case {
    std::string text;
    bool accepted;
    int64_t verifiedAt;
    std::size_t entries;
  };
  const std::string entry = "p|1|2|" + kHash + "\n";
  const Case cases[] = {
      {"VANDREL-CACHE 1\n", true, 0, 0},
      {"VANDREL-CACHE 1", true, 0, 0},
      {"VANDREL-CACHE 1 (beta)\n77\n" + entry, true, 77, 1},
      {"VANDREL-CACHE 1\n  -42 s\n" + entry, true, -42, 1},
      {"VANDREL-CACHE 1\nnever\n" + entry, true, 0, 1},
      {"VANDREL-CACHE 1\n\n" + entry, true, 0, 1},
      {"VANDREL-CACHE 2\n77\n" + entry, false, 0, 0},
      {"vandrel-cache 1\n77\n" + entry, false, 0, 0},
      {"VANDREL-CACHE\n77\n" + entry, false, 0, 0},
      {"\nVANDREL-CACHE 1\n77\n" + entry, false, 0, 0},
      {"", false, 0, 0},
  };
  const ManifestFiles files = Listing({"left over", "p"});
  for (const Case& c : cases) {
    VerificationCache cache;
    cache.Reset(files.size());
    cache.Set(0, Entry(1, 1));
    int64_t verifiedAt = 99;
    EXPECT_EQ(Read(c.text, files, cache, verifiedAt), c.accepted) << c.text;
    EXPECT_EQ(verifiedAt, c.verifiedAt) << c.text;
    EXPECT_EQ(cache.size(), c.entries) << c.text;
  }
}

TEST(VerificationCache, LaterLineForAPathWins) {
  VerificationCache cache;
  int64_t verifiedAt = 0;
  ASSERT_TRUE(Read("VANDREL-CACHE 1\n1\np|1|1|" + kHash + "\np|2|2|" + std::string(64, 'd') + "\n", Listing({"p"}),
                   cache, verifiedAt));
  ASSERT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache.Find(0)->size, 2);
  EXPECT_EQ(DigestToHex(cache.Find(0)->hash), std::string(64, 'd'));
}

}  // namespace
