#pragma once
// Test helpers for Windows-side tests: a scratch folder that is removed afterwards, file I/O,
// and running a copy of a program in it.
#include <windows.h>

#include <string>
#include <vector>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // With trailing backslash.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// This process's own folder under the temporary folder, holding its scratch folders and removed when
// the process ends (with trailing backslash).
const std::string& RunScratchFolder();

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Puts what a table row describes at path: "-" nothing, "/" a folder, anything else a file of those bytes.
bool PrepareEntry(const std::string& path, const std::string& what);

// Full path of the running test executable.
std::string TestExecutablePath();

// Starts a program with the given command-line tail and an optional working directory.
// Returns the process handle (caller closes), or null.
HANDLE StartProcess(const std::string& exe, const std::string& arguments, const std::string& workingDirectory = "");

// Waits for the process and returns its exit code, or -1 after the time-out.
int WaitExitCode(HANDLE process, DWORD timeoutMs = 60000);

std::vector<std::string> SplitLines(const std::string& text);
