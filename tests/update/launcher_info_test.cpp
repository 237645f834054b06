#include "update/launcher_info.h"
#include "update/server_status.h"

#include <gtest/gtest.h>

namespace {

const std::string kHash = "0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789abcdef";

// launcher.json as one line: version|hash|size|address|web|discord.
std::string Describe(const LauncherInfo& info) {
  return info.version + "|" + info.hash + "|" + std::to_string(info.size) + "|" + info.url + "|" + info.web + "|" +
         info.discord;
}

// Sizes that are no plain 64-bit number count as not given; an address that is no http(s) one is not taken.
TEST(ParseLauncherInfoText, MembersAndWhatIsNotTaken) {
  const std::string fallback = "||0|https://upd.example/launcher/launcher.exe||";
  const std::string notes(200000, 'n');
  const struct {
    std::string json;
    std::string info;
  } cases[] = {
      {"{\n \"discord\" : \"https://discord.gg/x\", \"web\":\"http://vandrel.example\",\n \"url\": "
       "\"https://cdn.example/l.exe\", \"tamano\":\t123456789012, \"hash\": \"" + kHash + "\", \"version\": \"2.4.1\"}",
       "2.4.1|" + kHash + "|123456789012|https://cdn.example/l.exe|http://vandrel.example|https://discord.gg/x"},
      {"{}", fallback},
      {"{\"url\": \"https://\", \"web\": \"www.example\"}", fallback},
      {"{\"tamano\": 99999999999999999999999}", fallback},
      {"{\"tamano\": 9223372036854775807}", "||9223372036854775807|https://upd.example/launcher/launcher.exe||"},
      {"{\"hash\": \"" + kHash + "0\"}", fallback},  // 65 digits are no hash
      {"{\"hash\": \"" + std::string(100, '1') + "\"}", fallback},  // a long digit run, shortened, is still no hash
      {"{\"notas\": \"" + notes + "\"," + std::string(50000, ' ') + "\"hash\":" + std::string(50000, ' ') + "\"" + kHash +
           "\", \"web\": \"https://w.example/n\"}",
       "|" + kHash + "|0|https://upd.example/launcher/launcher.exe|https://w.example/n|"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(ParseLauncherInfoText(c.json, "https://upd.example")), c.info) << "launcher.json read as version|hash|size|address|web|discord: " << c.json.substr(0, 80);
  }
}

TEST(ServerStatus, AddressAndFigure) {
  EXPECT_EQ(StatusAddress("https://vandrel.example"), "https://vandrel.example/estado.php");
  EXPECT_EQ(StatusAddress("https://vandrel.example/juego//"), "https://vandrel.example/juego/estado.php") << "one slash";

  const struct {
    std::string text;
    int32_t players;
  } rows[] = {
      {R"({"online": 37})", 37},
      {"{\"jugadores\": 5, \"online\"\t:\r\n 0}", 0},
      {R"({"online": "12"})", -1},
      {R"({"online": 2147483647})", 2147483647},
      {R"({"online": 2147483648})", -1},  // beyond 32 bits: no figure rather than a wrapped one
      {"{\"online\": " + std::string(100000, '9') + "}", -1},
      {"{\"online\":" + std::string(50000, ' ') + "8}", 8},
      {"", -1},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PlayersOnlineFromText(row.text), row.players) << "players online, -1 for no figure: " << row.text.substr(0, 40);
  }
}

}  // namespace
