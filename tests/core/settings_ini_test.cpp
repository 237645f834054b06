#include "core/settings_ini.h"

#include <gtest/gtest.h>

namespace {

struct IniCase {
  const char* line;
  const char* url;  // null: the line sets nothing
};

TEST(UpdateUrlFromIniLine, LineRules) {
  const IniCase cases[] = {
      {"url=https://a.example/updates", "https://a.example/updates"},
      {"  url=https://a.example///", "https://a.example"},
      {"\turl=https://a.example\r\n", "https://a.example"},
      {"\xEF\xBB\xBFurl=https://bom.example", "https://bom.example"},  // saved by Notepad as UTF-8
      {"url=https://a.example  \t \r", "https://a.example"},
      {"url= https://a.example", " https://a.example"},  // a blank after '=' belongs to the value
      {"url=http://plain.example/", "http://plain.example"},
      {"url=/", nullptr},
      {"url=///", nullptr},
      {"url=", nullptr},
      {"URL=https://a.example", nullptr},
      {"url =https://a.example", nullptr},
      {"# url=https://a.example", nullptr},
      {"  ;url=https://a.example", nullptr},
      {"", nullptr},
      {"   \t ", nullptr},
      {"other=1", nullptr},
      {"\x01\xff garbage", nullptr},
  };
  for (const IniCase& c : cases) {
    const auto url = UpdateUrlFromIniLine(c.line);
    if (c.url == nullptr) {
      EXPECT_FALSE(url.has_value()) << '"' << c.line << '"';
    } else {
      ASSERT_TRUE(url.has_value()) << '"' << c.line << '"';
      EXPECT_EQ(*url, c.url);
    }
  }
}

TEST(IsHttpsUrl, OnlyLowerCaseHttpsPrefix) {
  EXPECT_TRUE(IsHttpsUrl("https://a.example"));
  EXPECT_FALSE(IsHttpsUrl("http://a.example"));
  EXPECT_FALSE(IsHttpsUrl("HTTPS://a.example"));
  EXPECT_FALSE(IsHttpsUrl(" https://a.example"));
}

}  // namespace
