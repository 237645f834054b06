#include "core/settings_ini.h"

#include <gtest/gtest.h>

namespace {

// What one line of actualizador.ini sets (null: nothing), and whether that address escapes the plain-http warning.
TEST(UpdateUrlFromIniLine, LineRules) {
  const struct { const char* line; const char* url; bool https; } cases[] = {
      {"url=https://a.example/updates", "https://a.example/updates", true},
      {"  url=https://a.example///", "https://a.example", true},
      {"\turl=https://a.example  \t \r\n", "https://a.example", true},
      {"\xEF\xBB\xBFurl=https://bom.example", "https://bom.example", true},  // saved by Notepad as UTF-8
      {"url= https://a.example", " https://a.example", false},  // a blank after '=' belongs to the value
      {"url=http://plain.example/", "http://plain.example", false},
      {"url=HTTPS://a.example", "HTTPS://a.example", false},
      {"url=///", nullptr, false},  {"url=", nullptr, false},   {"URL=https://a.example", nullptr, false},
      {"url =https://a.example", nullptr, false}, {"# url=https://a.example", nullptr, false},
      {"  ;url=https://a.example", nullptr, false}, {"   \t ", nullptr, false}, {"other=1", nullptr, false},
  };
  for (const auto& c : cases) {
    const auto url = UpdateUrlFromIniLine(c.line);
    ASSERT_EQ(url.has_value(), c.url != nullptr) << '"' << c.line << "\": only url= lines with an address set one";
    if (!url) continue;
    EXPECT_EQ(*url, c.url) << "trailing slashes and line ends go, everything else of the value stays";
    EXPECT_EQ(IsHttpsUrl(*url), c.https) << *url << ": only an exact lower-case https:// prefix is not warned about";
  }
}

}  // namespace
