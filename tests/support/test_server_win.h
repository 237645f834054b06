#pragma once
// The test bench's update server, started by scripts/run-tests around the Windows tests. Tests
// write files into its site folder and steer its faults through its control API.
#include <string>

struct TestServer {
  std::string siteDir;       // Windows path of the served folder, with trailing backslash
  int httpPort = 0;
  int httpsPort = 0;         // certificate trusted inside the test prefix
  int untrustedHttpsPort = 0;  // certificate nobody trusts
};

// Reads the server's coordinates from the environment; false (with a reason) when they are missing.
bool GetTestServer(TestServer& server, std::string& reason);

// GET http://127.0.0.1:<httpPort>/__control/<query>; returns the body, empty on failure.
std::string ControlServer(const TestServer& server, const std::string& query);

// Writes a file under the site folder (relative path with "/"), creating its folders.
bool WriteSiteFile(const TestServer& server, const std::string& relativePath, const std::string& bytes);

// Redirects the process's standard output into a string while it lives. When the test has failed, what
// was captured (its failure messages included) is passed on to standard output at the end.
class CapturedStdout {
 public:
  CapturedStdout();
  ~CapturedStdout();
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;
  // Stops capturing (once) and returns what was written.
  std::string Finish();

 private:
  std::string path_;
  int savedFd_ = -1;
  bool finished_ = false;
  std::string text_;
};

// Runs f with standard output captured and dropped, so that the launcher's progress lines stay out of a
// passing run; checks go after it, where a failure is seen.
template <typename F>
auto Quietly(F f) {
  CapturedStdout quiet;
  return f();
}
