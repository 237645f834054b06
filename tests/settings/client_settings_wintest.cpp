#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/client_settings.h"
#include "settings/client_settings_win.h"
#include "support/scratch_dir_win.h"

namespace {

const char kDefaultFile[] =
    "WIDTH\t\t\t\t\t1024\r\nHEIGHT\t\t\t\t\t768\r\nBPP\t\t\t\t\t32\r\nFREQUENCY\t\t\t\t60\r\nWINDOWED\t\t\t\t1\r\n"
    "MUSIC_VOLUME\t\t\t0.300\r\nVOICE_VOLUME\t\t\t3\r\nGAMMA\t\t\t\t\t3\r\nSHADOW_LEVEL\t\t\t3\r\n"
    "VISIBILITY\t\t\t\t3\r\nSOFTWARE_CURSOR\t\t0\r\n";

const char kPlayersFile[] = "width 800\r\nCAMERA_SPEED 7\r\nHeIgHt\t600\r\n";

TEST(ClientSettingsFile, MissingFileLoadsNothingAndSavesTheDefaults) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg";
  ClientSettings settings;
  settings.width = 1;
  EXPECT_FALSE(LoadClientSettings(path, settings));
  EXPECT_EQ(settings.width, 1);

  ASSERT_TRUE(SaveClientSettings(path, ClientSettings{}));
  EXPECT_EQ(ReadFileBytes(path), kDefaultFile);
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST(ClientSettingsFile, RewritesARealFileKeepingTheClientsLines) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg";
  // A line longer than the reader's buffer arrives in pieces, the way the client reads it too.
  const std::string longLine = std::string(511, 'x') + "GAMMA 1";
  ASSERT_TRUE(WriteFileBytes(path, std::string(kPlayersFile) + "\r\nWIDTH 640\r\n" + longLine + "\r\n"));
  // Left behind by an interrupted save and longer than the new text: it must be replaced, not reused.
  ASSERT_TRUE(WriteFileBytes(path + ".tmp", std::string(4000, 'z')));

  ClientSettings settings;
  ASSERT_TRUE(LoadClientSettings(path, settings));
  EXPECT_EQ(settings.width, 640);
  EXPECT_EQ(settings.height, 600);
  EXPECT_EQ(settings.gamma, 1);

  settings.width = 1280;
  settings.height = 720;
  settings.gamma = 0;
  ASSERT_TRUE(SaveClientSettings(path, settings));
  EXPECT_EQ(ReadFileBytes(path),
            "width\t\t\t\t\t1280\r\nCAMERA_SPEED 7\r\nHeIgHt\t\t\t\t\t720\r\n\r\n\r\n" + std::string(511, 'x') +
                "\r\nGAMMA\t\t\t\t\t0\r\nBPP\t\t\t\t\t32\r\nFREQUENCY\t\t\t\t60\r\nWINDOWED\t\t\t\t1\r\n"
                "MUSIC_VOLUME\t\t\t0.300\r\nVOICE_VOLUME\t\t\t3\r\nSHADOW_LEVEL\t\t\t3\r\nVISIBILITY\t\t\t\t3\r\n"
                "SOFTWARE_CURSOR\t\t0\r\n");
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST(ClientSettingsFile, TemporaryFileThatCannotBeCreatedLeavesTheOldFile) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg";
  ASSERT_TRUE(WriteFileBytes(path, kPlayersFile));
  ASSERT_TRUE(CreateDirectoryA((path + ".tmp").c_str(), nullptr));

  SetLastError(0);
  EXPECT_FALSE(SaveClientSettings(path, ClientSettings{}));
  EXPECT_NE(GetLastError(), 0u) << "the caller logs this code";
  EXPECT_EQ(ReadFileBytes(path), kPlayersFile);
  const DWORD attributes = GetFileAttributesA((path + ".tmp").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << "not ours to delete";
}

// A write that fails half-way (a full disk) must not let the truncated file replace the player's.
// The failure is real: the temporary file is created by the test with a handle that cannot write.
TEST(ClientSettingsFile, FailedWriteDeletesTheTemporaryFileAndKeepsTheOldOne) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg";
  const std::string tempPath = path + ".tmp";
  ASSERT_TRUE(WriteFileBytes(path, kPlayersFile));
  const HANDLE readOnly = CreateFileA(tempPath.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);

  SetLastError(0);
  EXPECT_FALSE(CommitTemporaryFile(readOnly, tempPath, path, kDefaultFile));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the write's error, not the clean-up's";
  EXPECT_FALSE(FileExists(tempPath));
  EXPECT_EQ(ReadFileBytes(path), kPlayersFile);
}

// Run by SaveWhileAnotherProcessHoldsTheFile in a copy of this executable: holds the file open
// the way a running program reading it would, until told to let go.
TEST(ClientSettingsFileChild, HoldFileOpen) {
  const char* path = std::getenv("VANDREL_HOLD_FILE");
  const char* ready = std::getenv("VANDREL_HOLD_READY");
  const char* release = std::getenv("VANDREL_HOLD_RELEASE");
  if (!path || !ready || !release) GTEST_SKIP() << "only runs as a child of SaveWhileAnotherProcessHoldsTheFile";
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const HANDLE readyEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
  const HANDLE releaseEvent = OpenEventA(SYNCHRONIZE, FALSE, release);
  ASSERT_TRUE(readyEvent && releaseEvent);
  SetEvent(readyEvent);
  EXPECT_EQ(WaitForSingleObject(releaseEvent, 60000), WAIT_OBJECT_0);
  CloseHandle(file);
  CloseHandle(readyEvent);
  CloseHandle(releaseEvent);
}

TEST(ClientSettingsFile, SaveWhileAnotherProcessHoldsTheFile) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg";
  ASSERT_TRUE(WriteFileBytes(path, kPlayersFile));
  const std::string suffix = std::to_string(GetCurrentProcessId());
  const std::string readyName = "vandrel-hold-ready-" + suffix;
  const std::string releaseName = "vandrel-hold-release-" + suffix;
  const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
  ASSERT_TRUE(ready && release);

  SetEnvironmentVariableA("VANDREL_HOLD_FILE", path.c_str());
  SetEnvironmentVariableA("VANDREL_HOLD_READY", readyName.c_str());
  SetEnvironmentVariableA("VANDREL_HOLD_RELEASE", releaseName.c_str());
  const HANDLE child = StartProcess(TestExecutablePath(), "--gtest_brief=1 --gtest_filter=ClientSettingsFileChild.*", dir.path());
  SetEnvironmentVariableA("VANDREL_HOLD_FILE", nullptr);
  SetEnvironmentVariableA("VANDREL_HOLD_READY", nullptr);
  SetEnvironmentVariableA("VANDREL_HOLD_RELEASE", nullptr);
  ASSERT_NE(child, nullptr);
  const HANDLE waits[2] = {ready, child};
  ASSERT_EQ(WaitForMultipleObjects(2, waits, FALSE, 30000), WAIT_OBJECT_0) << "the child did not open the file";

  ClientSettings settings;
  settings.width = 1920;
  SetLastError(0);
  EXPECT_FALSE(SaveClientSettings(path, settings));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(ReadFileBytes(path), kPlayersFile);
  EXPECT_FALSE(FileExists(path + ".tmp"));

  SetEvent(release);
  EXPECT_EQ(WaitExitCode(child), 0);
  CloseHandle(child);
  CloseHandle(ready);
  CloseHandle(release);

  // Once the file is free again the same save goes through.
  ASSERT_TRUE(SaveClientSettings(path, settings));
  ClientSettings loaded;
  ASSERT_TRUE(LoadClientSettings(path, loaded));
  EXPECT_EQ(loaded.width, 1920);
  EXPECT_NE(ReadFileBytes(path).find("CAMERA_SPEED 7\r\n"), std::string::npos);
}

}  // namespace
