#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <thread>

#include "core/log.h"
#include "core/module_path_win.h"
#include "support/scratch_dir_win.h"

namespace {

constexpr int kThreads = 2;
constexpr int kLinesPerThread = 400;

// Run by the parent test in copies of this executable: two threads append numbered lines.
TEST(LogChild, AppendNumberedLines) {
  const char* tag = std::getenv("VANDREL_LOG_CHILD");
  if (tag == nullptr) GTEST_SKIP() << "only runs as a child of Log.TwoProcessesAppendWholeLines";
  const std::string padding(200, 'p');
  std::thread threads[kThreads];
  for (int t = 0; t < kThreads; ++t) {
    threads[t] = std::thread([&, t] {
      for (int i = 0; i < kLinesPerThread; ++i) Log("%s-%d-%d %s", tag, t, i, padding.c_str());
    });
  }
  for (auto& thread : threads) thread.join();
}

TEST(Log, TwoProcessesAppendWholeLines) {
  ScratchDir dir;
  const std::string exe = dir / "copy.exe";
  ASSERT_TRUE(CopyFileA(TestExecutablePath().c_str(), exe.c_str(), FALSE));

  HANDLE children[2];
  const char* tags[2] = {"A", "B"};
  for (int i = 0; i < 2; ++i) {
    SetEnvironmentVariableA("VANDREL_LOG_CHILD", tags[i]);
    children[i] = StartProcess(exe, "--gtest_brief=1 --gtest_filter=LogChild.*", dir.path());
    ASSERT_NE(children[i], nullptr);
  }
  SetEnvironmentVariableA("VANDREL_LOG_CHILD", nullptr);
  for (HANDLE child : children) {
    EXPECT_EQ(WaitExitCode(child), 0);
    CloseHandle(child);
  }

  const std::string text = ReadFileBytes(dir / "launcher_log.txt");
  // Every line ends in CR LF: no bare line feed anywhere.
  for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
  }
  const std::regex shape(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] ([AB])-(\d)-(\d+) p{200})");
  std::map<std::string, int> seen;
  int count = 0;
  for (const std::string& line : SplitLines(text)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << "split or mixed line: " << line.substr(0, 80);
    ++seen[match[1].str() + "-" + match[2].str() + "-" + match[3].str()];
    ++count;
  }
  EXPECT_EQ(count, 2 * kThreads * kLinesPerThread);
  EXPECT_EQ(seen.size(), static_cast<size_t>(2 * kThreads * kLinesPerThread)) << "lost or doubled lines";
}

TEST(Log, LandsBesideTheExecutableAndSurvivesDeletion) {
  ScratchDir elsewhere;
  char previous[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
  const std::string logPath = LauncherDirectory() + "launcher_log.txt";
  DeleteFileA(logPath.c_str());

  Log("primera %d", 1);
  SetLastError(1234);
  Log("segunda");
  EXPECT_EQ(GetLastError(), 1234u) << "logging must not change the caller's last error";
  SetCurrentDirectoryA(previous);

  EXPECT_FALSE(FileExists(elsewhere / "launcher_log.txt"));
  const std::vector<std::string> lines = SplitLines(ReadFileBytes(logPath));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("] primera 1"), std::string::npos);
  EXPECT_NE(lines[1].find("] segunda"), std::string::npos);

  // Deleted while running: the next line creates the file again.
  ASSERT_TRUE(DeleteFileA(logPath.c_str()));
  Log("tercera");
  EXPECT_NE(ReadFileBytes(logPath).find("] tercera\r\n"), std::string::npos);
}

TEST(Log, LongMessageIsCutAt1023Characters) {
  const std::string logPath = LauncherDirectory() + "launcher_log.txt";
  DeleteFileA(logPath.c_str());
  const std::string big(3000, 'z');
  Log("%s", big.c_str());
  const std::vector<std::string> lines = SplitLines(ReadFileBytes(logPath));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), std::string("[2026-01-01 00:00:00] ").size() + 1023);
}

TEST(Log, WideArgumentInAnsiCodePage) {
  const std::string logPath = LauncherDirectory() + "launcher_log.txt";
  DeleteFileA(logPath.c_str());
  // "Español" plus a Cyrillic letter, which a Western code page cannot hold.
  const wchar_t* text = L"Espa\u00f1ol \u0416 fin";
  Log("idioma: %ls", text);
  char expected[64] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, expected, sizeof expected, nullptr, nullptr);
  const std::vector<std::string> lines = SplitLines(ReadFileBytes(logPath));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(lines[0].find("] ") + 2), std::string("idioma: ") + expected) << "code page " << GetACP();
}

}  // namespace
