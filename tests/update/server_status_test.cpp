#include "update/server_status.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerStatus, AddressAndFigure) {
  EXPECT_EQ(StatusAddress("https://vandrel.example"), "https://vandrel.example/estado.php");
  EXPECT_EQ(StatusAddress("https://vandrel.example/juego//"), "https://vandrel.example/juego/estado.php") << "one slash";

  const struct {
    std::string text;
    int32_t players;
  } rows[] = {
      {R"({"online": 37})", 37},
      {"{\"jugadores\": 5, \"online\"\t:\r\n 0}", 0},
      {R"({"online":1})", 1},
      {R"({"online": "12"})", -1},
      {R"({"players": 12})", -1},
      {R"({"online": 2147483647})", 2147483647},
      {R"({"online": 2147483648})", -1},  // beyond 32 bits: no figure rather than a wrapped one
      {R"({"online": 99999999999999999999})", -1},
      {"{\"online\": " + std::string(100000, '9') + "}", -1},
      {"{\"online\":" + std::string(50000, ' ') + "8}", 8},
      {"", -1},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PlayersOnlineFromText(row.text), row.players) << "players online, -1 for no figure: " << row.text.substr(0, 40);
  }
}

}  // namespace
