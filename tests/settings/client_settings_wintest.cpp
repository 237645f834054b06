#include <windows.h>

#include <gtest/gtest.h>

#include "settings/client_settings.h"
#include "settings/client_settings_win.h"
#include "support/scratch_dir_win.h"

namespace {

const char kPlayersFile[] = "width 800\r\nCAMERA_SPEED 7\r\nHeIgHt\t600\r\n";

// The player's file keeps its other lines and its letter case; later duplicates become empty lines, a bare key gets
// its value, and the keys it lacks are appended in table order with their values aligned.
TEST(ClientSettingsFile, RewritesARealFileKeepingTheClientsLines) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg";
  // A line longer than the reader's buffer arrives in pieces, the way the client reads it too.
  const std::string longLine = std::string(511, 'x') + "GAMMA 1";
  ASSERT_TRUE(WriteFileBytes(path, std::string(kPlayersFile) + "  // the client's comment  \r\nWIDTH 640\r\nBPP\r\n" +
                                       longLine + "\r\n"));
  // Left behind by an interrupted save and longer than the new text: it must be replaced, not reused.
  ASSERT_TRUE(WriteFileBytes(path + ".tmp", std::string(4000, 'z')));

  ClientSettings settings;
  ASSERT_TRUE(LoadClientSettings(path, settings));
  EXPECT_EQ(std::to_string(settings.width) + "x" + std::to_string(settings.height) + " gamma " +
                std::to_string(settings.gamma), "640x600 gamma 1");
  settings.width = 1280;
  settings.height = 720;
  settings.gamma = 0;
  ASSERT_TRUE(SaveClientSettings(path, settings));
  EXPECT_EQ(ReadFileBytes(path),
            "width\t\t\t\t\t1280\r\nCAMERA_SPEED 7\r\nHeIgHt\t\t\t\t\t720\r\n  // the client's comment  \r\n\r\n"
            "BPP\t\t\t\t\t32\r\n" + std::string(511, 'x') + "\r\nGAMMA\t\t\t\t\t0\r\nFREQUENCY\t\t\t\t60\r\nWINDOWED\t\t\t\t1\r\n"
                "MUSIC_VOLUME\t\t\t0.300\r\nVOICE_VOLUME\t\t\t3\r\nSHADOW_LEVEL\t\t\t3\r\nVISIBILITY\t\t\t\t3\r\n"
                "SOFTWARE_CURSOR\t\t0\r\n");
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

// A save that cannot go through leaves the player's file as it was and no temporary file, and keeps the failing
// call's code for the log line; once the obstacle is gone the same save goes through. (A folder in the temporary
// file's place is tried end to end.)
TEST(ClientSettingsFile, AFailedSaveLeavesThePlayersFile) {
  ScratchDir dir;
  const std::string path = dir / "qarlok.cfg", temp = path + ".tmp";
  ASSERT_TRUE(WriteFileBytes(path, kPlayersFile));
  ClientSettings settings;
  settings.width = 1920;

  // A write that fails half-way (a full disk): the temporary file's handle cannot write.
  HANDLE readOnly = CreateFileA(temp.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_FALSE(CommitTemporaryFile(readOnly, temp, path, "WIDTH 1920\r\n"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the write's error, not the clean-up's";
  EXPECT_EQ(ReadFileBytes(path), kPlayersFile) << "a truncated file must never replace the player's";
  EXPECT_FALSE(FileExists(temp));

  // Held open the way a running program reading it would: the move over it is refused.
  const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_FALSE(SaveClientSettings(path, settings)) << "the file is held open";
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(ReadFileBytes(path), kPlayersFile);
  EXPECT_FALSE(FileExists(temp));
  CloseHandle(held);
  ASSERT_TRUE(SaveClientSettings(path, settings));
  EXPECT_EQ(ReadFileBytes(path).substr(0, 32), "width\t\t\t\t\t1920\r\nCAMERA_SPEED 7\r\n");
}

}  // namespace
