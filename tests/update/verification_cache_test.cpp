#include "update/verification_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const std::string kHash(64, 'c');

ManifestFiles Listing(std::initializer_list<const char*> paths) {
  ManifestFiles files;
  for (const char* path : paths) files[path] = {kHash, 1};
  return files;
}

TEST(VerificationCache, SavedTextLoadsBackUnchanged) {
  VerificationCache cache;
  cache["a|b||c"] = {12, 133456789012345678ULL, kHash};  // bars inside the path
  cache["data/x.pak"] = {INT64_MIN, UINT64_MAX, std::string(64, 'f')};
  cache["z"] = {0, 0, kHash};
  const std::string text = FormatVerificationCache(cache, -1234567, Listing({"a|b||c", "data/x.pak", "z"}));

  VerificationCache loaded;
  int64_t verifiedAt = 0;
  ASSERT_TRUE(ParseVerificationCache(text, loaded, verifiedAt));
  EXPECT_EQ(verifiedAt, -1234567);
  ASSERT_EQ(loaded.size(), cache.size());
  for (const auto& item : cache) {
    const CacheEntry& got = loaded[item.first];
    EXPECT_EQ(got.size, item.second.size) << item.first;
    EXPECT_EQ(got.lastWriteTime, item.second.lastWriteTime) << item.first;
    EXPECT_EQ(got.hash, item.second.hash) << item.first;
  }
}

TEST(VerificationCache, SavesOnlyWhatTheManifestListsInPathOrder) {
  VerificationCache cache;
  cache["gone.dat"] = {1, 2, kHash};
  cache["b"] = {3, 4, kHash};
  cache["\xC3\xA9t\xC3\xA9"] = {5, 6, kHash};
  cache["A"] = {7, 8, kHash};
  cache["bad\nname"] = {9, 9, kHash};
  const ManifestFiles files = Listing({"\xC3\xA9t\xC3\xA9", "b", "A", "not-hashed-yet", "bad\nname"});
  EXPECT_EQ(FormatVerificationCache(cache, 1700000000, files),
            "VANDREL-CACHE 1\n1700000000\n"
            "A|7|8|" +
                kHash +
                "\n"
                "b|3|4|" +
                kHash +
                "\n"
                "\xC3\xA9t\xC3\xA9|5|6|" +
                kHash + "\n");
  EXPECT_EQ(FormatVerificationCache(cache, 0, ManifestFiles()), "VANDREL-CACHE 1\n0\n");
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
      {"p|1|2|" + std::string(64, '?'), true, "p", 1, 2},  // the hash's characters are not checked
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
    VerificationCache cache;
    int64_t verifiedAt = 0;
    ASSERT_TRUE(ParseVerificationCache(text, cache, verifiedAt)) << c.line;
    EXPECT_EQ(cache.count("first") + cache.count("last"), 2u) << c.line;
    EXPECT_EQ(cache.size(), c.kept ? 3u : 2u) << c.line;
    if (!c.kept) continue;
    ASSERT_EQ(cache.count(c.path), 1u) << c.line;
    EXPECT_EQ(cache[c.path].size, c.size) << c.line;
    EXPECT_EQ(cache[c.path].lastWriteTime, c.time) << c.line;
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
  for (const Case& c : cases) {
    VerificationCache cache;
    cache["left over"] = {1, 1, kHash};
    int64_t verifiedAt = 99;
    EXPECT_EQ(ParseVerificationCache(c.text, cache, verifiedAt), c.accepted) << c.text;
    EXPECT_EQ(verifiedAt, c.verifiedAt) << c.text;
    EXPECT_EQ(cache.size(), c.entries) << c.text;
  }
}

TEST(VerificationCache, LaterLineForAPathWins) {
  VerificationCache cache;
  int64_t verifiedAt = 0;
  ASSERT_TRUE(ParseVerificationCache("VANDREL-CACHE 1\n1\np|1|1|" + kHash + "\np|2|2|" + std::string(64, 'd') + "\n",
                                     cache, verifiedAt));
  ASSERT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache["p"].size, 2);
  EXPECT_EQ(cache["p"].hash, std::string(64, 'd'));
}

}  // namespace
