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

TEST(ParseLauncherInfoText, MissingAndMalformedMembers) {
  struct Case {
    const char* json;
    const char* hash;
    int64_t size;
    const char* url;
    const char* web;
  } const cases[] = {
      {"{}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"hash\": \"abc\"}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"url\": \"ftp://x/l.exe\", \"web\": \"www.example\"}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"url\": \"https://\"}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"tamano\": -5}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"tamano\": \"7\"}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"tamano\": 99999999999999999999999}", "", 0, "https://upd.example/launcher/launcher.exe", ""},
      {"{\"tamano\": 9223372036854775807}", "", INT64_MAX, "https://upd.example/launcher/launcher.exe", ""},
  };
  for (const Case& c : cases) {
    const LauncherInfo info = ParseLauncherInfoText(c.json, kSite);
    EXPECT_EQ(info.hash, c.hash) << c.json;
    EXPECT_EQ(info.size, c.size) << c.json;
    EXPECT_EQ(info.url, c.url) << c.json;
    EXPECT_EQ(info.web, c.web) << c.json;
  }
  // The version may be empty; a hash of 65 digits is no hash.
  EXPECT_EQ(ParseLauncherInfoText("{\"version\": \"\"}", kSite).version, "");
  EXPECT_EQ(ParseLauncherInfoText("{\"hash\": \"" + kHash + "0\"}", kSite).hash, "");
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
