#pragma once
// The players-online figure from the web site's estado.php. Portable: the request is made in
// server_status_win.cpp.
#include <cstdint>
#include <string>

// The web-site address without its trailing "/" characters, then "/estado.php".
std::string StatusAddress(const std::string& web);

// The number of the first "online": N member anywhere in the answer; -1 when there is none or it
// does not fit a signed 32-bit number.
int32_t PlayersOnlineFromText(const std::string& text);

// One request for the figure, on a status worker; -1 for any failure, also without a web address.
int32_t FetchPlayersOnline();
