#include "support/server_test_win.h"

#include <algorithm>

#include "core/module_path_win.h"
#include "support/launcher_copy_win.h"

void ServerTest::SetUp() {
  std::string reason;
  ASSERT_TRUE(GetTestServer(server, reason)) << reason;
  ControlServer(server, "reset");
  DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
  GetCurrentDirectoryA(MAX_PATH, previousDir_);
  ASSERT_TRUE(SetCurrentDirectoryA(game.path().c_str()));
  static int site = 0;
  prefix = "t" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++site);
}

void ServerTest::TearDown() { SetCurrentDirectoryA(previousDir_); }

std::string ServerTest::SiteUrl() const { return "http://127.0.0.1:" + std::to_string(server.httpPort) + "/" + prefix; }

int ServerTest::Requests(const std::string& pathUnderPrefix) {
  return RequestCount(server, "/" + prefix + pathUnderPrefix);
}

std::vector<std::string> ServerTest::LogMessages() const {
  return ::LogMessages(LauncherDirectory() + "launcher_log.txt");
}

bool ServerTest::Logged(const std::string& message) const {
  const auto messages = LogMessages();
  return std::find(messages.begin(), messages.end(), message) != messages.end();
}

HWND MakeMessageWindow(const char* className, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  return CreateWindowA(className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
}
