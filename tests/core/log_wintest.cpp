#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <thread>

#include "core/log.h"
#include "core/module_path_win.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"

namespace {

// Run by Log.TwoProcessesAppendWholeLinesBesideTheExecutable in copies of this executable: two threads append
// numbered lines.
TEST(LogChild, AppendNumberedLines) {
  const char* tag = std::getenv("VANDREL_LOG_CHILD");
  if (tag == nullptr) GTEST_SKIP() << "only runs as a child of Log.TwoProcessesAppendWholeLinesBesideTheExecutable";
  std::thread threads[2];
  for (int t = 0; t < 2; ++t) {
    threads[t] = std::thread([tag, t] {
      for (int i = 0; i < 400; ++i) Log("%s-%d-%d %s", tag, t, i, std::string(200, 'p').c_str());
    });
  }
  for (auto& thread : threads) thread.join();
}

TEST(Log, TwoProcessesAppendWholeLinesBesideTheExecutable) {
  ScratchDir dir, elsewhere;
  const std::string exe = CopyTestExecutable(dir);
  ASSERT_FALSE(exe.empty());
  HANDLE children[2];
  for (int i = 0; i < 2; ++i) {
    SetEnvironmentVariableA("VANDREL_LOG_CHILD", i == 0 ? "A" : "B");
    children[i] = StartProcess(exe, "--gtest_brief=1 --gtest_filter=LogChild.*", elsewhere.path());
    ASSERT_NE(children[i], nullptr);
  }
  SetEnvironmentVariableA("VANDREL_LOG_CHILD", nullptr);
  for (HANDLE child : children) {
    EXPECT_EQ(WaitExitCode(child), 0);
    CloseHandle(child);
  }
  EXPECT_FALSE(FileExists(elsewhere / "launcher_log.txt")) << "the log belongs beside the executable";
  const std::string text = ReadFileBytes(dir / "launcher_log.txt");
  for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i << ": every line ends in CR LF";
  }
  const std::regex shape(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] ([AB]-\d-\d+) p{200})");
  std::set<std::string> seen;
  int count = 0;
  for (const std::string& line : SplitLines(text)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << "split or mixed line: " << line.substr(0, 80);
    seen.insert(match[1].str());
    ++count;
  }
  EXPECT_EQ(count, 1600) << "two processes of two threads, 400 lines each";
  EXPECT_EQ(seen.size(), 1600u) << "lost or doubled lines";
}

// The caller's last error survives, wide text is written in the ANSI code page, and a log deleted while the
// launcher runs comes back with the next line.
TEST(Log, KeepsTheLastErrorWritesTheCodePageAndSurvivesDeletion) {
  const std::string logPath = LauncherDirectory() + "launcher_log.txt";
  DeleteFileA(logPath.c_str());
  SetLastError(1234);
  Log("idioma: %ls", L"Espa\u00f1ol \u0416 fin");
  EXPECT_EQ(GetLastError(), 1234u) << "logging must not change the caller's last error";
  const std::vector<std::string> messages = LogMessages(logPath);
  ASSERT_EQ(messages.size(), 1u);
  // The bench's Western code page 1252, or UTF-8 where a system uses it.
  EXPECT_EQ(messages[0], GetACP() == 65001 ? "idioma: Espa\xC3\xB1ol \xD0\x96 fin" : "idioma: Espa\xF1ol ? fin")
      << "code page " << GetACP();
  ASSERT_TRUE(DeleteFileA(logPath.c_str()));
  Log("tercera");
  EXPECT_EQ(LogMessages(logPath), std::vector<std::string>{"tercera"});
}

}  // namespace
