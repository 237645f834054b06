#include "update/manifest.h"
#include "update/signature.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

const std::string kHashA(64, 'a');
const std::string kHashB = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789ABCDEF";

std::string Entry(const std::string& path, const std::string& hash, const std::string& size) {
  return "\"" + path + "\": {\"hash\": \"" + hash + "\", \"tamano\": " + size + "}";
}

TEST(ParseLatestVersion, FirstLineRules) {
  const struct {
    std::string content;
    const char* version;  // empty: invalid
  } cases[] = {
      {"1.2.3  \t\r\n", "1.2.3"}, {"1.2.3\r\r", "1.2.3"}, {"1.2.3\n9.9.9\n", "1.2.3"}, {"10.0.3", "10.0.3"},
      {"12345678901234567.89", "12345678901234567.89"},  // 20 characters
      {"12345678901234567.890", ""},                     // 21
      {"..", ""}, {".5", ""}, {"5.", ""}, {"1..2", ""}, {" 1.2.3", ""}, {"v1.2.3", ""}, {"1.2.3-beta", ""},
      {"1.2 .3", ""}, {"1.2.3\r4", ""} /* a lone CR is no line end */, {"\n1.2.3", ""}, {" \t\r\n", ""}, {"", ""},
      {std::string("1.2\0003", 5), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseLatestVersion(c.content), c.version) << "content: " << c.content;
}

TEST(IsOlderVersion, GroupByGroupAsNumbers) {
  const struct {
    const char* candidate;
    const char* installed;
    bool older;
  } cases[] = {
      {"1.9", "1.10", true},   {"1.10", "1.9", false}, {"1.2", "1.2.1", true},  {"1.2", "1.2.0", false},
      {"1.2.0", "1.2", false}, {"0010", "9", false},   {"3.0", "3.0", false},   {"1.0", "basura", false},
      {"99999999999999999998", "99999999999999999999", true} /* beyond 64 bits */,
  };
  for (const auto& c : cases) EXPECT_EQ(IsOlderVersion(c.candidate, c.installed), c.older) << c.candidate;
}

// The manifest as one line: version, patch hash, patch size, store, then path=hash/size for each file, with
// the two test hashes written A and B.
std::string Describe(const Manifest& m) {
  const auto name = [](const std::string& hash) { return hash == kHashA ? "A" : hash == kHashB ? "B" : hash; };
  std::string text = m.version + " " + (m.patchHash.empty() ? "-" : name(m.patchHash)) + " " +
                     std::to_string(m.patchSize) + (m.store ? " store" : " -");
  for (const auto& [path, entry] : m.files) text += " " + std::string(path) + "=" + name(entry.hash) + "/" + std::to_string(entry.size);
  return text;
}

TEST(ParseManifest, Rules) {
  const std::string a1 = Entry("a", kHashA, "1");
  const std::string unread = "old - 0 -";  // a manifest that cannot be read leaves nothing of the last one
  const struct {
    const char* what;
    std::string text;
    std::string manifest;  // after reading it over "old B 99 store stale=B/5"; unread: the text was refused
  } cases[] = {
      {"all members, entries at any depth",
       "{\"version\": \"1.4.0\", \"patch_hash\": \"" + kHashA + "\", \"patch_tamano\": 12345, \"almacen\": true, "
       "\"files\": {" + Entry("data/a.pak", kHashA, "10") + ", \"sub\": {" + Entry("b.txt", kHashB, "0") + "}}}",
       "1.4.0 A 12345 store b.txt=B/0 data/a.pak=A/10"},
      {"white space of every kind around the tokens",
       "\"version\"\t:\r\n\"2\"\n\"almacen\" :\ttrue \"p\"\r\n:\n{\n\t\"hash\"\n:\n\"" + kHashA + "\"\r\n,\n\"tamano\"\n:\n7\n\t}",
       "2 - 0 store p=A/7"},
      {"no version member keeps the old one", "{" + a1 + "}", "old - 0 - a=A/1"},
      {"almacen false", "\"almacen\": false, " + a1, "old - 0 - a=A/1"},
      {"patch hash of 63 characters", "\"patch_hash\": \"" + kHashA.substr(1) + "\", " + a1, "old - 0 - a=A/1"},
      {"the later entry for a path wins", a1 + "," + Entry("a", kHashB, "2"), "old - 0 - a=B/2"},
      {"largest size", Entry("a", kHashA, "9223372036854775807"), "old - 0 - a=A/9223372036854775807"},
      {"tamano before hash", "{\"a\": {\"tamano\": 1, \"hash\": \"" + kHashA + "\"}}", unread},
      {"fraction, sign or quotes in the size",
       Entry("a", kHashA, "1.5") + Entry("b", kHashA, "-1") + Entry("c", kHashA, "\"1\""), unread},
      {"file hash of 63 characters", Entry("a", kHashA.substr(1), "1"), unread},
      {"entry size beyond 64 bits", "\"version\": \"5\", \"almacen\": true, " + a1 + Entry("b", kHashA, "9223372036854775808"),
       unread},
      {"a version that is not dot-separated digits", "\"version\": \"1.0\r\n[2026-01-01 00:00:00] x\", " + a1, unread},
      {"patch size beyond 64 bits", "\"patch_tamano\": 99999999999999999999, " + a1, unread},
  };
  for (const auto& c : cases) {
    Manifest manifest;
    manifest.version = "old";
    manifest.patchHash = kHashB;
    manifest.patchSize = 99;
    manifest.store = true;
    manifest.files["stale"] = {kHashB, 5};
    EXPECT_EQ(ParseManifest(c.text, manifest), c.manifest != unread) << c.what;
    EXPECT_EQ(Describe(manifest), c.manifest) << "manifest read as version, patch, store and files: " << c.what;
  }
}

// The check worker's stack is as large as the main thread's: large documents are read on such a thread.
TEST(ParseManifest, LargeDocumentsAndGarbage) {
  std::string big = "{\n  \"version\": \"3.0.0\",\n  \"notas\": \"" + std::string(1 << 20, 'n') + "\",\n  \"files\": {\n";
  for (int i = 0; i < 100000; ++i) big += "    " + Entry("maps/r" + std::to_string(i) + ".map", kHashB, std::to_string(i)) + ",\n";
  big += "  }\n}\n";
  std::thread worker([&] {
    Manifest manifest;
    ASSERT_TRUE(ParseManifest(big, manifest)) << "100,000 entries behind a megabyte of release notes";
    EXPECT_EQ(manifest.files.size() + manifest.files.at("maps/r99999.map").size, 199999u) << "every entry, sizes read";
    EXPECT_FALSE(ParseManifest(big + Entry("huge", kHashA, std::string(100000, '9')), manifest))
        << "a size that does not fit makes the whole manifest unreadable";
    EXPECT_FALSE(ParseManifest("\"" + std::string(16 << 20, 'x') + "\"", manifest)) << "one endless quoted text";
  });
  worker.join();
}

TEST(ParseSignatureText, ReadWholeOrNotAtAll) {
  const std::string line = "p256 " + std::string(64, 'c') + std::string(64, '1') + "\n";
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += line;
  const struct {
    const char* what;
    std::string text;
    int count;  // -1: unreadable
  } cases[] = {
      {"CR LF, a blank line, upper-case digits", line + "\r\n\r\np256 " + std::string(128, 'F') + "\r\n", 2},
      {"no final line feed", line.substr(0, line.size() - 1), 1},
      {"eight lines", nine.substr(line.size()), 8},
      {"nine lines", nine, -1},
      {"one digit too many", "p256 0" + line.substr(5), -1},
      {"a good line and garbage", line + "\x01\xfe basura\n", -1},
  };
  for (const auto& c : cases) {
    std::vector<P256Signature> signatures;
    EXPECT_EQ(ParseSignatureText(c.text, signatures) ? static_cast<int>(signatures.size()) : -1, c.count)
        << "signature lines read whole or not at all: " << c.what;
  }
}

}  // namespace
