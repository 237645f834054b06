#pragma once
// The line rules of actualizador.ini. Portable: no Windows calls.
#include <optional>
#include <string>

// The update-site address that one line of actualizador.ini sets, or nothing when the line
// is blank, a comment, another key, or a url= whose value is only slashes. A UTF-8 byte order
// mark at its start is skipped.
std::optional<std::string> UpdateUrlFromIniLine(std::string line);

// Plain http addresses are accepted, but the player is warned in the log.
bool IsHttpsUrl(const std::string& url);
