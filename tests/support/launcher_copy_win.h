#pragma once
// Running a case "as the launcher": operations that use the executable's own folder are tested in a
// copy of the test executable placed in a scratch folder, so nothing lands beside the real binary.
#include <string>
#include <vector>

class ScratchDir;

// Copies the running test executable into dir as name; the copy's full path, or empty on failure.
std::string CopyTestExecutable(const ScratchDir& dir, const std::string& name = "launcher.exe");

// Runs the tests of the copy that match filter, with one environment variable set for the child
// only, in workingDirectory. The child's exit code; -1 when it could not start or did not end.
int RunChildTests(const std::string& exe, const std::string& filter, const std::string& envName,
                  const std::string& envValue, const std::string& workingDirectory);

// The messages of a launcher_log.txt, without their time stamps; empty when there is no file.
std::vector<std::string> LogMessages(const std::string& logPath);
