#include "support/scratch_dir_win.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full + "\\");
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(dir.c_str());
}

// Whatever escapes a scratch folder (a ".." that a faulty extraction lets through) lands in the
// folder of its own run, which goes with the run: the next run never sees it.
struct RunFolder {
  std::string path;
  RunFolder() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    for (unsigned n = 1;; ++n) {
      char name[64];
      std::snprintf(name, sizeof name, "vandrel-%lu-%u", GetCurrentProcessId(), n);
      path = std::string(temp) + name + "\\";
      if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
  }
  ~RunFolder() { RemoveTree(path); }
};

}  // namespace

const std::string& RunScratchFolder() {
  static const RunFolder folder;
  return folder.path;
}

ScratchDir::ScratchDir() {
  static unsigned counter = 0;
  path_ = RunScratchFolder() + "s" + std::to_string(++counter);
  CreateDirectoryA(path_.c_str(), nullptr);
  path_ += "\\";
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

bool PrepareEntry(const std::string& path, const std::string& what) {
  if (what == "-") return true;
  return what == "/" ? CreateDirectoryA(path.c_str(), nullptr) != FALSE : WriteFileBytes(path, what);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string TestExecutablePath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

HANDLE StartProcess(const std::string& exe, const std::string& arguments, const std::string& workingDirectory) {
  std::string commandLine = "\"" + exe + "\" " + arguments;
  // The child's own test report would only clutter the parent's: its output goes to NUL.
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

int WaitExitCode(HANDLE process, DWORD timeoutMs) {
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line); lines.push_back(line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}
