#include "support/server_test_win.h"

#include <algorithm>

#include "core/module_path_win.h"
#include "support/launcher_copy_win.h"
#include "update/launcher_info.h"
#include "update/messages.h"

void ServerTest::SetUp() {
  std::string reason;
  ASSERT_TRUE(GetTestServer(server, reason)) << reason;
  ControlServer(server, "reset");
  SeenMessages().clear();
  DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
  GetCurrentDirectoryA(MAX_PATH, previousDir_);
  ASSERT_TRUE(SetCurrentDirectoryA(game.path().c_str()));
  static int site = 0;
  prefix = "t" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++site);
}

void ServerTest::TearDown() { SetCurrentDirectoryA(previousDir_); }

std::string ServerTest::SiteUrl() const { return "http://127.0.0.1:" + std::to_string(server.httpPort) + "/" + prefix; }

int ServerTest::Requests(const std::string& pathUnderPrefix) {
  // The counts object maps each path to its number: "counts": {"/a": 2, ...}
  const std::string log = ControlServer(server, "log");
  const size_t counts = log.find("\"counts\"");
  const std::string key = "\"/" + prefix + pathUnderPrefix + "\": ";
  const size_t at = counts == std::string::npos ? counts : log.find(key, counts);
  return counts == std::string::npos ? -1 : at == std::string::npos ? 0 : std::atoi(log.c_str() + at + key.size());
}

std::vector<std::string> ServerTest::LogMessages() const {
  return ::LogMessages(LauncherDirectory() + "launcher_log.txt");
}

bool ServerTest::Logged(const std::string& message) const {
  const auto messages = LogMessages();
  return std::find(messages.begin(), messages.end(), message) != messages.end();
}

std::vector<SeenMessage>& SeenMessages() {
  static std::vector<SeenMessage> seen;
  return seen;
}

namespace {

HWND MakeMessageWindow(const char* className, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  return CreateWindowA(className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
    case UM_STATUS:
    case UM_DETAIL:
    case UM_FAILED:
      SeenMessages().push_back({message, text ? text : "(null)"});
      return 0;
    case UM_PROGRESS:
      SeenMessages().push_back({message, std::to_string(lParam)});
      return 0;
    case UM_LAUNCHER_INFO:
      SeenMessages().push_back({message, reinterpret_cast<const LauncherInfo*>(lParam)->web});
      return 0;
    case UM_UPDATE_DONE:
      SeenMessages().push_back({message, ReadFileBytes("version.txt")});
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND RecordingWindow() {
  thread_local const HWND window = MakeMessageWindow("VandrelRecordingWindow", RecordingProc);
  return window;
}

std::vector<std::string> SeenValues(UINT message) {
  std::vector<std::string> values;
  for (const SeenMessage& seen : SeenMessages()) {
    if (seen.message == message) values.push_back(seen.value);
  }
  return values;
}
