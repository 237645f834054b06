#include "update/manifest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kHashA(64, 'a');
const std::string kHashB = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789ABCDEF";

std::string Entry(const std::string& path, const std::string& hash, const std::string& size) {
  return "\"" + path + "\": {\"hash\": \"" + hash + "\", \"tamano\": " + size + "}";
}

TEST(ParseLatestVersion, FirstLineRules) {
  struct Case {
    std::string content;
    std::string version;  // empty: invalid
  };
  const Case cases[] = {
      {"1.2.3  \t\r\n", "1.2.3"},
      {"1.2.3\r\r", "1.2.3"},
      {"1.2.3\n9.9.9\n", "1.2.3"},
      {"12345678901234567.89", "12345678901234567.89"},  // 20 characters
      {"12345678901234567.890", ""},                     // 21
      {"10.0.3", "10.0.3"},
      {"..", ""},
      {".5", ""},
      {"5.", ""},
      {"1..2", ""},
      {" 1.2.3", ""},
      {"v1.2.3", ""},
      {"1.2.3-beta", ""},
      {"1.2 .3", ""},
      {"1.2.3\r4", ""},  // a lone CR is no line end
      {"\n1.2.3", ""},
      {" \t\r\n", ""},
      {"", ""},
      {std::string("1.2\0003", 5), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLatestVersion(c.content), c.version) << "content: " << c.content;
}

TEST(IsOlderVersion, GroupByGroupAsNumbers) {
  const struct {
    const char* candidate;
    const char* installed;
    bool older;
  } cases[] = {
      {"1.9", "1.10", true},   {"1.10", "1.9", false}, {"1.2", "1.2.1", true},  {"1.2", "1.2.0", false},
      {"1.2.0", "1.2", false}, {"0010", "9", false},   {"3.0", "3.0", false},   {"1.0", "basura", false},
      {"99999999999999999998", "99999999999999999999", true},  // beyond 64 bits
  };
  for (const auto& c : cases) EXPECT_EQ(IsOlderVersion(c.candidate, c.installed), c.older) << c.candidate;
}

struct ManifestCase {
  const char* what;
  std::string text;
  bool result;
  std::string version;
  std::string patchHash;
  int64_t patchSize;
  bool store;
  std::vector<std::pair<std::string, ManifestEntry>> files;
};

TEST(ParseManifest, Rules) {
  const std::string a1 = Entry("a", kHashA, "1");
  // clang-format off
  const ManifestCase cases[] = {
      {"all members, entries at any depth",
       "{\"version\": \"1.4.0\", \"patch_hash\": \"" + kHashA + "\", \"patch_tamano\": 12345, \"almacen\": true, "
       "\"files\": {" + Entry("data/a.pak", kHashA, "10") + ", \"sub\": {" + Entry("b.txt", kHashB, "0") + "}}}",
       true, "1.4.0", kHashA, 12345, true, {{"b.txt", {kHashB, 0}}, {"data/a.pak", {kHashA, 10}}}},
      {"white space of every kind around the tokens",
       "\"version\"\t:\r\n\"2\"\n\"almacen\" :\ttrue \"p\"\r\n:\n{\n\t\"hash\"\n:\n\"" + kHashA +
       "\"\r\n,\n\"tamano\"\n:\n7\n\t}",
       true, "2", "", 0, true, {{"p", {kHashA, 7}}}},
      {"no version member keeps the old one", "{" + a1 + "}", true, "old", "", 0, false, {{"a", {kHashA, 1}}}},
      {"an empty version is no match", "\"version\": \"\", " + a1, true, "old", "", 0, false, {{"a", {kHashA, 1}}}},
      {"the first version member counts", "\"version\":\"1\",\"version\":\"2\"," + a1,
       true, "1", "", 0, false, {{"a", {kHashA, 1}}}},
      {"almacen false", "\"almacen\": false, " + a1, true, "old", "", 0, false, {{"a", {kHashA, 1}}}},
      {"patch hash of 63 characters", "\"patch_hash\": \"" + kHashA.substr(1) + "\", " + a1,
       true, "old", "", 0, false, {{"a", {kHashA, 1}}}},
      {"patch hash of 65 characters", "\"patch_hash\": \"" + kHashA + "b\", " + a1,
       true, "old", "", 0, false, {{"a", {kHashA, 1}}}},
      {"the later entry for a path wins", a1 + "," + Entry("a", kHashB, "2"),
       true, "old", "", 0, false, {{"a", {kHashB, 2}}}},
      {"paths kept as written", Entry("a\\\\b c/./d", kHashA, "3"),
       true, "old", "", 0, false, {{"a\\\\b c/./d", {kHashA, 3}}}},
      {"largest size", Entry("a", kHashA, "9223372036854775807"),
       true, "old", "", 0, false, {{"a", {kHashA, INT64_MAX}}}},
      {"tamano before hash", "{\"a\": {\"tamano\": 1, \"hash\": \"" + kHashA + "\"}}",
       false, "old", "", 0, false, {}},
      {"a third member", "{\"a\": {\"hash\": \"" + kHashA + "\", \"tamano\": 1, \"x\": 2}}",
       false, "old", "", 0, false, {}},
      {"upper-case member names", "{\"a\": {\"HASH\": \"" + kHashA + "\", \"TAMANO\": 1}}",
       false, "old", "", 0, false, {}},
      {"fraction, sign or quotes in the size",
       Entry("a", kHashA, "1.5") + Entry("b", kHashA, "-1") + Entry("c", kHashA, "\"1\""),
       false, "old", "", 0, false, {}},
      {"file hash of 63 characters", Entry("a", kHashA.substr(1), "1"), false, "old", "", 0, false, {}},
      {"empty text", "", false, "old", "", 0, false, {}},
      {"entry size beyond 64 bits: nothing is read",
       "\"version\": \"5\", \"almacen\": true, " + a1 + Entry("b", kHashA, "9223372036854775808"),
       false, "old", "", 0, false, {}},
      {"a version that is not dot-separated digits: nothing is read",
       "\"version\": \"1.0\r\n[2026-01-01 00:00:00] x\", " + a1, false, "old", "", 0, false, {}},
      {"a version with an empty group: nothing is read", "\"version\": \"1..0\", " + a1,
       false, "old", "", 0, false, {}},
      {"patch size beyond 64 bits: nothing is read", "\"patch_tamano\": 99999999999999999999, " + a1,
       false, "old", "", 0, false, {}},
  };
  // clang-format on
  for (const ManifestCase& c : cases) {
    Manifest manifest;
    manifest.version = "old";
    manifest.patchHash = kHashB;
    manifest.patchSize = 99;
    manifest.store = true;
    manifest.files["stale"] = {kHashB, 5};
    EXPECT_EQ(ParseManifest(c.text, manifest), c.result) << c.what;
    EXPECT_EQ(manifest.version, c.version) << c.what;
    EXPECT_EQ(manifest.patchHash, c.patchHash) << c.what;
    EXPECT_EQ(manifest.patchSize, c.patchSize) << c.what;
    EXPECT_EQ(manifest.store, c.store) << c.what;
    std::vector<std::pair<std::string, ManifestEntry>> files(manifest.files.begin(), manifest.files.end());
    ASSERT_EQ(files.size(), c.files.size()) << c.what;
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(files[i].first, c.files[i].first) << c.what;
      EXPECT_EQ(files[i].second.hash, c.files[i].second.hash) << c.what;
      EXPECT_EQ(files[i].second.size, c.files[i].second.size) << c.what;
    }
  }
}

// The check worker has a stack of the same size as the main thread's; the large documents run on such a thread.
template <typename Body>
void OnWorkerThread(Body body) {
  std::thread worker(body);
  worker.join();
}

TEST(ParseManifest, HundredThousandEntriesWithLongReleaseNotes) {
  std::string text = "{\n  \"version\": \"3.0.0\",\n  \"notas\": \"" + std::string(1 << 20, 'n') +
                     "\",\n  \"patch_hash\": \"" + kHashA + "\",\n  \"patch_tamano\": 777,\n  \"files\": {\n";
  for (int i = 0; i < 100000; ++i) {
    text += "    " + Entry("data/maps/region_" + std::to_string(i) + ".map", kHashB, std::to_string(i)) + ",\n";
  }
  text += "  }\n}\n";
  ASSERT_GT(text.size(), 13u << 20);

  OnWorkerThread([&] {
    Manifest manifest;
    EXPECT_TRUE(ParseManifest(text, manifest));
    EXPECT_EQ(manifest.files.size(), 100000u);
    EXPECT_EQ(manifest.version, "3.0.0");
    EXPECT_EQ(manifest.patchHash, kHashA);
    EXPECT_EQ(manifest.patchSize, 777);
    EXPECT_FALSE(manifest.store);
    EXPECT_EQ(manifest.files.at("data/maps/region_99999.map").size, 99999);
    EXPECT_EQ(manifest.files.at("data/maps/region_0.map").hash, kHashB);
  });
}

TEST(ParseManifest, LongRunsInsideMembersReadAsThePatternsSay) {
  const std::string blanks(100000, ' ');
  const std::string text = "\"version\"" + blanks + ":" + std::string(100000, '\n') + "\"7.1\"," +
                           "\"almacen\":" + blanks + "true," + "\"" + std::string(1 << 20, 'p') + "\":{" + blanks +
                           "\"hash\":\"" + kHashA + "\"," + blanks + "\"tamano\":" + std::string(100000, '0') + "12" +
                           blanks + "}," + Entry("huge", kHashA, std::string(100000, '9'));
  OnWorkerThread([&] {
    Manifest manifest;
    // The last entry's size does not fit: the whole manifest is unreadable.
    EXPECT_FALSE(ParseManifest(text, manifest));
    EXPECT_TRUE(manifest.files.empty());

    const std::string readable = text.substr(0, text.rfind(",\"huge\""));
    EXPECT_TRUE(ParseManifest(readable, manifest));
    EXPECT_EQ(manifest.version, "7.1");
    EXPECT_TRUE(manifest.store);
    ASSERT_EQ(manifest.files.size(), 1u);
    EXPECT_EQ(manifest.files.begin()->first, std::string(1 << 20, 'p'));
    EXPECT_EQ(manifest.files.begin()->second.size, 12);
  });
}

TEST(ParseManifest, GarbageFailsCleanly) {
  std::mt19937 random(7);
  std::string garbage(4 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  const std::string token(16 << 20, 'x');
  OnWorkerThread([&] {
    Manifest manifest;
    EXPECT_FALSE(ParseManifest(garbage, manifest));
    EXPECT_FALSE(ParseManifest(token, manifest));
    EXPECT_FALSE(ParseManifest("\"" + token + "\"", manifest));
    // An entry standing in the middle of the garbage is still an entry.
    const std::string mixed = garbage.substr(0, 1 << 20) + Entry("a", kHashA, "5") + garbage.substr(1 << 20);
    EXPECT_TRUE(ParseManifest(mixed, manifest));
    EXPECT_EQ(manifest.files.count("a"), 1u);
  });
}

}  // namespace
