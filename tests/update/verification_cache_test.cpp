#include "update/verification_cache.h"
#include "update/verification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
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

std::size_t IndexOf(const ManifestFiles& files, const std::string& path) { return files.find(path).index(); }

// What is kept of a file's text: the time of the last full run, then path=size/time of each entry kept. A bad entry
// line costs only itself; a text without the header costs everything.
TEST(VerificationCache, EveryLineIsCheckedOnItsOwn) {
  const std::string h = "|" + kHash + "\n";
  const std::string good = "first|1|1" + h;
  const struct {
    std::string text;
    bool accepted;
    const char* kept;
  } cases[] = {
      {"VANDREL-CACHE 1\n5\n" + good + "p|1|2" + h + "a|b|c|-5|7" + h, true, "5 a|b|c=-5/7 first=1/1 p=1/2"},
      {"VANDREL-CACHE 1\n5\n" + good + "p| +12xyz|0042abc" + h + "last|||" + kHash, true, "5 first=1/1 last=0/0 p=12/42"},
      {"VANDREL-CACHE 1\n5\np|1|2|" + std::string(64, '?') + "\n" + good, true, "5 first=1/1"},  // a bad line costs only itself
      {"VANDREL-CACHE 1\n5\n" + good + "|1|2" + h + "1|2" + h, true, "5 first=1/1"},
      {"VANDREL-CACHE 1\n5\n" + good + "p|1|2|" + kHash.substr(1) + "\np|1|2|" + kHash + "\r\n\n", true, "5 first=1/1"},
      {"VANDREL-CACHE 1", true, "0"},
      {"VANDREL-CACHE 2\n77\n" + good, false, "0"},
      {"\nVANDREL-CACHE 1\n77\n" + good, false, "0"},
      {"", false, "0"},
  };
  const ManifestFiles files = Listing({"first", "last", "p", "a|b|c"});
  for (const auto& c : cases) {
    VerificationCache cache;
    cache.Reset(files.size());
    cache.Set(IndexOf(files, "last"), Entry(9, 9));  // from before: never kept
    int64_t verifiedAt = 99;
    EXPECT_EQ(Read(c.text, files, cache, verifiedAt), c.accepted) << c.text;
    std::string kept = std::to_string(verifiedAt);
    for (const auto& [path, listed] : files) {
      if (const CacheEntry* entry = cache.Find(IndexOf(files, std::string(path)))) {
        kept += " " + std::string(path) + "=" + std::to_string(entry->size) + "/" + std::to_string(entry->lastWriteTime);
      }
    }
    EXPECT_EQ(kept, c.kept) << "each cache line is kept or dropped on its own: " << c.text;
  }
}

TEST(ChooseQuickRun, SevenDayRuleAndClockSetBack) {
  const int64_t now = 1800000000;
  struct Case {
    bool full;
    size_t entries;
    int64_t verifiedAt;
    bool quick;
  } const cases[] = {
      {false, 5, now, true},          {false, 5, now - 604800, true},  {false, 5, now - 604801, false},  // seven days
      {false, 5, now + 1, false},     {false, 5, 0, false},            {false, 5, INT64_MIN, false},  // clock set back
      {false, 0, now - 60, false},    {true, 5, now - 60, false},      // nothing remembered; forced full
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseQuickRun(c.full, c.entries, c.verifiedAt, now), c.quick)
        << "a quick run within seven days of the last full one; last full run " << c.verifiedAt << ", " << c.entries
        << " files remembered";
  }
}

}  // namespace
