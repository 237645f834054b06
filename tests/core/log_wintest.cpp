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
  const std::string text = ReadFileBytes(dir / "launcher_log.txt");
  // Every line whole, ending in CR LF, and each of the 1600 written exactly once.
  const std::regex shape(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] ([AB]-\d-\d+) p{200}\r\n)");
  std::set<std::string> seen;
  size_t whole = 0;
  for (std::sregex_iterator line(text.begin(), text.end(), shape), end; line != end; ++line) {
    seen.insert((*line)[1].str());
    whole += line->length();
  }
  EXPECT_EQ(whole, text.size()) << "split, mixed or bare-LF lines in the log";
  EXPECT_EQ(seen.size(), 1600u) << "two processes of two threads, 400 lines each: lost or doubled lines";
}

// The caller's last error survives (it is often logged right after), and a log deleted while the launcher runs
// comes back with the next line. The file's code page is tried end to end in a Cyrillic folder.
TEST(Log, KeepsTheLastErrorAndSurvivesDeletion) {
  const std::string logPath = LauncherDirectory() + "launcher_log.txt";
  DeleteFileA(logPath.c_str());
  SetLastError(1234);
  Log("primera %s", "linea");
  EXPECT_EQ(GetLastError(), 1234u) << "logging must not change the caller's last error";
  ASSERT_TRUE(DeleteFileA(logPath.c_str())) << "the log must be written and must not keep others from deleting it";
  Log("tercera");
  EXPECT_EQ(LogMessages(logPath), std::vector<std::string>{"tercera"});
}

}  // namespace
