#pragma once
// Base of the tests that run the update engine in this process against the test update server:
// a scratch folder as the current directory (the installation), a fresh site prefix per test, the
// server's rules reset, and the log beside the test executable emptied.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_dir_win.h"
#include "support/test_server_win.h"

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // http://127.0.0.1:<port>/<prefix>: the update site of this test.
  std::string SiteUrl() const;
  // Requests the server logged for a path under this test's prefix.
  int Requests(const std::string& pathUnderPrefix);
  // The messages logged so far beside the test executable, without time stamps.
  std::vector<std::string> LogMessages() const;
  bool Logged(const std::string& message) const;

  TestServer server;
  ScratchDir game;
  std::string prefix;  // unique per test, so that sites never mix

 private:
  char previousDir_[MAX_PATH + 1] = {};
};

// What the update engine told the window, in order: the text of UM_STATUS, UM_DETAIL and UM_FAILED
// ("(null)" for none), the number of UM_PROGRESS, the web address of UM_LAUNCHER_INFO, and for
// UM_UPDATE_DONE what version.txt held at that moment. Tests clear it (ServerTest does in SetUp).
struct SeenMessage {
  UINT message;
  std::string value;
};
std::vector<SeenMessage>& SeenMessages();
// This thread's recording window (one per thread, made on first use).
HWND RecordingWindow();
// The values seen for one message, in order.
std::vector<std::string> SeenValues(UINT message);
