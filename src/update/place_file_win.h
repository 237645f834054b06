#pragma once
// Putting a verified file in the place of a listed game file.
#include <string>

// Moves source over destination, replacing it. A game file copied from a disc is often read-only, which
// makes the replacement fail: the attribute is cleared first, and put back if the move fails anyway.
// False with the move's error as the last error.
bool PlaceFile(const std::string& source, const std::string& destination);
