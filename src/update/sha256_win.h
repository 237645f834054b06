#pragma once
#include <string>

// SHA-256 of a file's whole content as 64 lower-case hexadecimal characters; empty when the file
// cannot be opened (missing, held open for writing elsewhere, no right) or the hash service fails.
std::string Sha256File(const std::string& path);
