#pragma once
// Atomic replacement of a file that another program reads: the text goes to path + ".tmp", which is
// then moved over path. Split in two so that a test can hand the second step a real failing handle.
#include <windows.h>

#include <string>

// Creates (or truncates) path + ".tmp" and commits text through it with CommitTemporaryFile.
// False when the temporary file cannot be created, with the old file untouched.
bool ReplaceFileWithText(const std::string& path, const std::string& text);

// Writes text through temp, an open handle on tempPath that this call always closes, then moves
// tempPath over path, replacing it. On any failure (a write, the close, the move) tempPath is
// deleted, path keeps its old content, and GetLastError still tells why for the caller's log line.
bool CommitTemporaryFile(HANDLE temp, const std::string& tempPath, const std::string& path, const std::string& text);
