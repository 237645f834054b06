#include "support/test_server_win.h"

#include <windows.h>
#include <winhttp.h>
#include <fcntl.h>
#include <io.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/launcher_app.h"
#include "support/scratch_dir_win.h"

namespace {

int EnvInt(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}

}  // namespace

bool GetTestServer(TestServer& server, std::string& reason) {
  const char* site = std::getenv("VANDREL_SITE_DIR");
  server.httpPort = EnvInt("VANDREL_HTTP_PORT");
  server.httpsPort = EnvInt("VANDREL_HTTPS_PORT");
  server.untrustedHttpsPort = EnvInt("VANDREL_UNTRUSTED_HTTPS_PORT");
  if (site == nullptr || server.httpPort == 0 || server.httpsPort == 0 || server.untrustedHttpsPort == 0) {
    reason = "the test update server is not running: run the Windows tests through scripts/run-tests";
    return false;
  }
  server.siteDir = site;
  if (server.siteDir.back() != '\\') server.siteDir += '\\';
  return true;
}

std::string ControlServer(const TestServer& server, const std::string& query) {
  std::string body;
  HINTERNET session = WinHttpOpen(L"test-control", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  HINTERNET connection = session ? WinHttpConnect(session, L"127.0.0.1", static_cast<INTERNET_PORT>(server.httpPort), 0) : nullptr;
  const std::string path = "/__control/" + query;
  const std::wstring widePath(path.begin(), path.end());
  HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", widePath.c_str(), nullptr, nullptr, nullptr, 0) : nullptr;
  if (request && WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) && WinHttpReceiveResponse(request, nullptr)) {
    char buffer[8192];
    DWORD read = 0;
    while (WinHttpReadData(request, buffer, sizeof buffer, &read) && read > 0) body.append(buffer, read);
  }
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  if (session) WinHttpCloseHandle(session);
  return body;
}

bool WriteSiteFile(const TestServer& server, const std::string& relativePath, const std::string& bytes) {
  std::string windowsPath = relativePath;
  for (char& c : windowsPath) {
    if (c == '/') c = '\\';
  }
  const std::string full = server.siteDir + windowsPath;
  CreateDirectories(full.substr(0, full.rfind('\\')));
  return WriteFileBytes(full, bytes);
}

CapturedStdout::CapturedStdout() {
  char name[MAX_PATH + 1] = {};
  GetTempFileNameA(RunScratchFolder().c_str(), "out", 0, name);
  path_ = name;
  std::fflush(stdout);
  savedFd_ = _dup(_fileno(stdout));
  const int fd = _open(path_.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
  _dup2(fd, _fileno(stdout));
  _close(fd);
}

CapturedStdout::~CapturedStdout() { Finish(); }

std::string CapturedStdout::Finish() {
  if (finished_) return text_;
  finished_ = true;
  std::fflush(stdout);
  _dup2(savedFd_, _fileno(stdout));
  _close(savedFd_);
  text_ = ReadFileBytes(path_);
  DeleteFileA(path_.c_str());
  // The test's own failure messages may be in there too: a failing test shows what it captured.
  if (::testing::Test::HasFailure()) {
    std::fwrite(text_.data(), 1, text_.size(), stdout);
    std::fflush(stdout);
  }
  return text_;
}

namespace {

// In a brief run (the one scripts/run-tests makes) each test's standard output is held back: the launcher's
// progress lines show only with the failure they explain. A run without --gtest_brief prints everything.
class QuietOutput : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    if (GTEST_FLAG_GET(brief)) captured_ = std::make_unique<CapturedStdout>();
  }
  // Runs before the result printer's line for the test; a failed test's capture is passed on then.
  void OnTestEnd(const ::testing::TestInfo&) override { captured_.reset(); }

  std::unique_ptr<CapturedStdout> captured_;
};

[[maybe_unused]] const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new QuietOutput);
  return true;
}();

}  // namespace
