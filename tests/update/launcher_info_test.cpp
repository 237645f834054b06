#include "update/launcher_info.h"

#include <gtest/gtest.h>

namespace {

const std::string kSite = "https://upd.example";
const std::string kHash = "0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789abcdef";

TEST(ParseLauncherInfoText, ReadsEveryMember) {
  const LauncherInfo info = ParseLauncherInfoText(
      "{\n \"discord\" : \"https://discord.gg/x\", \"web\":\"http://vandrel.example\",\n"
      "  \"url\": \"https://cdn.example/l.exe\", \"tamano\":\t123456789012, \"hash\": \"" + kHash +
          "\", \"version\": \"2.4.1\"}",
      kSite);
  EXPECT_EQ(info.version, "2.4.1");
  EXPECT_EQ(info.hash, kHash) << "upper-case digits are read as published";
  EXPECT_EQ(info.size, 123456789012);
  EXPECT_EQ(info.url, "https://cdn.example/l.exe");
  EXPECT_EQ(info.web, "http://vandrel.example");
  EXPECT_EQ(info.discord, "https://discord.gg/x");
}

// Sizes that are no plain 64-bit number count as not given; an address that is no http(s) one is not taken.
TEST(ParseLauncherInfoText, MissingAndMalformedMembers) {
  const std::string fallback = "https://upd.example/launcher/launcher.exe";
  const struct {
    const char* json;
    int64_t size;
    const char* web;
  } cases[] = {
      {"{}", 0, ""},
      {"{\"url\": \"https://\", \"web\": \"www.example\"}", 0, ""},
      {"{\"tamano\": -5}", 0, ""},
      {"{\"tamano\": \"7\"}", 0, ""},
      {"{\"tamano\": 99999999999999999999999}", 0, ""},
      {"{\"tamano\": 9223372036854775807}", INT64_MAX, ""},
  };
  for (const auto& c : cases) {
    const LauncherInfo info = ParseLauncherInfoText(c.json, kSite);
    EXPECT_EQ(info.size, c.size) << c.json;
    EXPECT_EQ(info.url, fallback) << c.json;
    EXPECT_EQ(info.web, c.web) << c.json;
  }
  EXPECT_EQ(ParseLauncherInfoText("{\"hash\": \"" + kHash + "0\"}", kSite).hash, "") << "65 digits are no hash";
}

TEST(ParseLauncherInfoText, LongReleaseNotesDoNotHideMembers) {
  const std::string notes(200000, 'n');
  const std::string blanks(50000, ' ');
  const LauncherInfo info = ParseLauncherInfoText(
      "{\"notas\": \"" + notes + "\"," + blanks + "\"hash\":" + blanks + "\"" + kHash + "\", \"web\": \"https://w.example/" +
          notes + "\"}",
      kSite);
  EXPECT_EQ(info.hash, kHash);
  EXPECT_EQ(info.web, "https://w.example/" + notes);
}

}  // namespace
