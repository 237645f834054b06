#include "core/paths.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
  const char* path;
  bool safe;
};

TEST(IsSafeRelativePath, AcceptsAndRejects) {
  const std::string longest(240, 'a');
  const std::string tooLong(241, 'a');
  const PathCase cases[] = {
      {"data/file.pak", true},
      {"./data/file.pak", true},          // a "." component is harmless
      {"data//file.pak", true},           // empty component
      {"data\\sub\\file.pak", true},
      {"..data/file", true},              // merely begins with two dots
      {"data/..hidden", true},
      {".config", true},
      {"m\xC3\xBAsica/\xE9t\xE9.ogg", true},  // bytes of 128 and above are allowed
      {"", false},
      {"../x.txt", false},
      {"data/../../x.txt", false},
      {"data\\..\\x.txt", false},
      {"data/..", false},
      {"C:/x", false},
      {"C:x", false},
      {"file.txt:stream", false},
      {"/x", false},
      {"\\x", false},
      {"da\tta/x", false},
      {"x\x1f", false},
      {"x\n", false},
  };
  for (const PathCase& c : cases) EXPECT_EQ(IsSafeRelativePath(c.path), c.safe) << '"' << c.path << '"';
  EXPECT_TRUE(IsSafeRelativePath(longest));
  EXPECT_FALSE(IsSafeRelativePath(tooLong));
}

TEST(IsSafeRelativePath, RejectsWhatWindowsDoesNotStoreAsNamed) {
  const PathCase cases[] = {
      // Device names open a device instead of a file, with or without an extension.
      {"nul", false},
      {"data/nul.txt", false},
      {"aux.pak", false},
      {"CON", false},
      {"Prn.log", false},
      {"sub/com1", false},
      {"LPT9.dat", false},
      {"conin$", false},
      {"CONOUT$.txt", false},
      {"nul .txt", false},
      {"com\xB9", false},      // superscript one in code page 1252
      {"LPT\xC2\xB3.x", false},  // superscript three in UTF-8
      // Trailing dots and blanks are dropped by Windows, so the file lands under another name.
      {"data./x", false},
      {"x.", false},
      {"x ", false},
      {"dir /x", false},
      {"...", false},
      // Look-alikes that are ordinary file names.
      {"com0", true},
      {"com10", true},
      {"lpt", true},
      {"console.txt", true},
      {"nul_x.txt", true},
      {"data/auxiliar.pak", true},
      {"x.y", true},
      {" x", true},
  };
  for (const PathCase& c : cases) EXPECT_EQ(IsSafeRelativePath(c.path), c.safe) << '"' << c.path << '"';
}

TEST(IsLauncherFileName, ComparesOnlyTheFileNameIgnoringCase) {
  EXPECT_TRUE(IsLauncherFileName("launcher.exe", "launcher.exe"));
  EXPECT_TRUE(IsLauncherFileName("bin/sub\\LAUNCHER.EXE", "launcher.exe"));
  EXPECT_TRUE(IsLauncherFileName("x/Launcher.Exe", "launcher.exe"));
  EXPECT_FALSE(IsLauncherFileName("launcher.exe.bak", "launcher.exe"));
  EXPECT_FALSE(IsLauncherFileName("launcher.exe/other", "launcher.exe"));
  EXPECT_FALSE(IsLauncherFileName("mylauncher.exe", "launcher.exe"));
  EXPECT_TRUE(IsLauncherFileName("a/VANDREL.EXE", "vandrel.exe"));
}

TEST(PathPieces, DirectoryAndFileName) {
  EXPECT_EQ(DirectoryWithSlash("C:\\Games\\Vandrel\\launcher.exe"), "C:\\Games\\Vandrel\\");
  EXPECT_EQ(DirectoryWithSlash("launcher.exe"), "");
  EXPECT_EQ(FileNameOf("a/b\\c.txt"), "c.txt");
  EXPECT_EQ(FileNameOf("c.txt"), "c.txt");
  EXPECT_EQ(FileNameOf("dir/"), "");
}

}  // namespace
