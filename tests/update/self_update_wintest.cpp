// The self-update runs beside the running executable, so each case runs in a copy of this test
// binary named launcher.exe in a scratch folder, started as a child process.
#include "update/self_update_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/launcher_app.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"
#include "support/server_test_win.h"
#include "support/test_server_win.h"
#include "update/messages.h"
#include "update/sha256_win.h"

namespace {

int launcherInfoSeen = 0;
int progressSeen = 0;
std::string webSeen;
std::string textsSeen;  // the status lines sent, one per line

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UM_LAUNCHER_INFO) {
    ++launcherInfoSeen;
    webSeen = reinterpret_cast<const LauncherInfo*>(lParam)->web;
  }
  if (message == UM_PROGRESS) ++progressSeen;
  if (message == UM_STATUS || message == UM_DETAIL) textsSeen += reinterpret_cast<const char*>(lParam) + std::string("\n");
  return DefWindowProcA(window, message, wParam, lParam);
}

// The child: one action, its outcome written to result.txt beside it.
TEST(SelfUpdateChild, Run) {
  const char* action = std::getenv("VANDREL_SELF_UPDATE_ACTION");
  if (action == nullptr) GTEST_SKIP() << "only runs as a child of the SelfUpdate tests";
  std::string result;
  if (std::string(action) == "check") {
    LauncherApp app(MakeMessageWindow("SelfUpdateTestWindow", RecordingProc));
    app.updateUrl = std::getenv("VANDREL_SELF_UPDATE_URL");
    DeleteFileA("launcher_log.txt");  // only the check's own lines are of interest
    const bool ready = CheckLauncherUpdate(app);
    result = std::string("ready=") + (ready ? "1" : "0") + " info=" + std::to_string(launcherInfoSeen) +
             " progress=" + std::to_string(progressSeen) + " web=" + webSeen;
    ASSERT_TRUE(WriteFileBytes("texts.txt", textsSeen));
  } else if (std::string(action) == "install") {
    result = std::string("installed=") + (InstalarLauncherNuevo() ? "1" : "0");
  } else {
    RemoveOldLauncher();
    result = "removed";
  }
  // The executable may have been moved away: write beside where it was started.
  ASSERT_TRUE(WriteFileBytes("result.txt", result));
}

class SelfUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    ASSERT_TRUE(GetTestServer(server, reason)) << reason;
    ControlServer(server, "reset");
    ASSERT_TRUE(CopyFileA(TestExecutablePath().c_str(), launcher.c_str(), FALSE));
    ownHash = Sha256File(launcher);
    static int site = 0;
    prefix = "su" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++site);
    siteUrl = "http://127.0.0.1:" + std::to_string(server.httpPort) + "/" + prefix;
  }

  // Runs one action in the copy; returns what it wrote to result.txt.
  std::string RunChild(const char* action) {
    SetEnvironmentVariableA("VANDREL_SELF_UPDATE_URL", siteUrl.c_str());
    EXPECT_EQ(RunChildTests(launcher, "SelfUpdateChild.*", "VANDREL_SELF_UPDATE_ACTION", action, dir.path()), 0);
    SetEnvironmentVariableA("VANDREL_SELF_UPDATE_URL", nullptr);
    return ReadFileBytes(dir / "result.txt");
  }

  void PublishDescription(const std::string& json) {
    ASSERT_TRUE(WriteSiteFile(server, prefix + "/launcher/launcher.json", json));
  }

  std::vector<std::string> LogMessages() const { return ::LogMessages(dir / "launcher_log.txt"); }

  TestServer server;
  ScratchDir dir;
  const std::string launcher = dir / "launcher.exe";
  std::string ownHash;
  std::string prefix;
  std::string siteUrl;
};

const std::string kNewBuild = "a newer launcher build";
const std::string kNewHash = "e8e8d7dbd4de2a38e6de38c4e63b0e6a0e5ad5ca9b4d2f3e1c7b6c2a3f1c7d2b";  // not its hash

TEST_F(SelfUpdateTest, OwnHashMeansUpToDateButLinksStillArrive) {
  PublishDescription("{\"version\": \"2.1\", \"hash\": \"" + ownHash + "\", \"web\": \"https://vandrel.example\"}");
  EXPECT_EQ(RunChild("check"), "ready=0 info=1 progress=0 web=https://vandrel.example");
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"Launcher al dia (2.1)"});
  EXPECT_FALSE(FileExists(launcher + ".nuevo"));
  EXPECT_FALSE(FileExists(dir / "launcher_remote.json"));
}

TEST_F(SelfUpdateTest, NewBuildIsDownloadedWithProgressAndVerified) {
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/dl/new.exe", kNewBuild));
  const std::string hash = Sha256File(server.siteDir + prefix + "\\dl\\new.exe");
  PublishDescription("{\"version\": \"2.2\", \"hash\": \"" + hash + "\", \"tamano\": " +
                     std::to_string(kNewBuild.size()) + ", \"url\": \"" + siteUrl + "/dl/new.exe\"}");
  const std::string result = RunChild("check");
  EXPECT_EQ(result.substr(0, 14), "ready=1 info=1");
  EXPECT_EQ(result.find("progress=0"), std::string::npos) << result;
  EXPECT_EQ(ReadFileBytes(launcher + ".nuevo"), kNewBuild);
  EXPECT_EQ(ReadFileBytes(dir / "texts.txt"), "Descargando el nuevo launcher\nVersi\xC3\xB3n 2.2\n")
      << "the second status line names the new launcher's version from launcher.json";
  const auto messages = LogMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Hay un launcher nuevo: 2.2 (propio " + ownHash.substr(0, 12) + ", servidor " +
                             hash.substr(0, 12) + ")");
  EXPECT_EQ(messages[1], "Launcher nuevo verificado: " + hash);
}

TEST_F(SelfUpdateTest, DescriptionWrittenByThePublisher) {
  // scripts/test-servers publishes the stand-in client as the newest launcher under /publicado.
  siteUrl = "http://127.0.0.1:" + std::to_string(server.httpPort) + "/publicado";
  const std::string result = RunChild("check");
  EXPECT_EQ(result.substr(0, 14), "ready=1 info=1");
  EXPECT_NE(result.find("web=https://vandrel.example"), std::string::npos) << result;
  EXPECT_EQ(result.find("progress=0"), std::string::npos) << "tamano is published: " << result;
  EXPECT_EQ(ReadFileBytes(launcher + ".nuevo"), ReadFileBytes(server.siteDir + "publicado\\launcher\\launcher.exe"));
  EXPECT_EQ(LogMessages().front().rfind("Hay un launcher nuevo: 7.7.7 ", 0), 0u);
}

TEST_F(SelfUpdateTest, DefaultAddressAndNoProgressWithoutSize) {
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/launcher/launcher.exe", kNewBuild));
  const std::string hash = Sha256File(server.siteDir + prefix + "\\launcher\\launcher.exe");
  // A url that is not http(s) is ignored like a missing one.
  PublishDescription("{\"hash\": \"" + hash + "\", \"url\": \"ftp://elsewhere/x.exe\"}");
  EXPECT_EQ(RunChild("check"), "ready=1 info=1 progress=0 web=");
  EXPECT_EQ(RequestCount(server, "/" + prefix + "/launcher/launcher.exe"), 1);
}

TEST_F(SelfUpdateTest, MismatchedOrUpperCaseHashIsRefusedAndRemoved) {
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/launcher/launcher.exe", kNewBuild));
  std::string upper = Sha256File(server.siteDir + prefix + "\\launcher\\launcher.exe");
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  for (const std::string& published : {kNewHash, upper}) {
    DeleteFileA((dir / "launcher_log.txt").c_str());
    PublishDescription("{\"hash\": \"" + published + "\"}");
    EXPECT_EQ(RunChild("check"), "ready=0 info=1 progress=0 web=");
    EXPECT_FALSE(FileExists(launcher + ".nuevo"));
    const auto messages = LogMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "ABORTADO: el launcher descargado no coincide. Esperado " + published + ", obtenido " +
                               Sha256File(server.siteDir + prefix + "\\launcher\\launcher.exe"));
  }
}

TEST_F(SelfUpdateTest, MissingOrHashlessDescriptionChangesNothing) {
  EXPECT_EQ(RunChild("check"), "ready=0 info=0 progress=0 web=");
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{
                               "Descarga rechazada, el servidor respondio 404: " + siteUrl + "/launcher/launcher.json",
                               "Sin launcher.json en el servidor; se sigue con el launcher actual"}));

  DeleteFileA((dir / "launcher_log.txt").c_str());
  PublishDescription("{\"version\": \"3\", \"hash\": \"abc\", \"web\": \"https://vandrel.example\"}");
  EXPECT_EQ(RunChild("check"), "ready=0 info=0 progress=0 web=") << "no links without a valid hash";
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"launcher.json sin hash valido; se ignora"});
}

TEST_F(SelfUpdateTest, UnreachableNewBuild) {
  PublishDescription("{\"hash\": \"" + kNewHash + "\", \"url\": \"" + siteUrl + "/no/such.exe\"}");
  EXPECT_EQ(RunChild("check"), "ready=0 info=1 progress=0 web=");
  EXPECT_EQ(LogMessages().back(), "No se pudo descargar el launcher nuevo de " + siteUrl + "/no/such.exe");
  EXPECT_FALSE(FileExists(launcher + ".nuevo"));
}

TEST_F(SelfUpdateTest, InstallSwapsAndStartsTheNewBuild) {
  // The stand-in client plays the new build: started, it records itself beside its executable.
  const std::string standIn = TestExecutablePath().substr(0, TestExecutablePath().rfind('\\') + 1) + "qarlokclient.exe";
  ASSERT_TRUE(CopyFileA(standIn.c_str(), (launcher + ".nuevo").c_str(), FALSE));
  const std::string original = ReadFileBytes(launcher);
  EXPECT_EQ(RunChild("install"), "installed=1");
  EXPECT_EQ(ReadFileBytes(launcher), ReadFileBytes(standIn));
  EXPECT_EQ(ReadFileBytes(launcher + ".viejo"), original);
  EXPECT_FALSE(FileExists(launcher + ".nuevo"));
  for (int i = 0; i < 100 && !FileExists(dir / "qarlokclient_started.txt"); ++i) Sleep(100);
  EXPECT_NE(ReadFileBytes(dir / "qarlokclient_started.txt").find("|cmd=/reinicio"), std::string::npos)
      << "the new build must know to wait for this one to close";
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"Launcher nuevo instalado y arrancado"});

  // The next start removes the set-aside build. The started stand-in may still be running from
  // launcher.exe for a moment, and a running executable cannot be overwritten.
  bool copied = false;
  for (int i = 0; i < 100 && !copied; ++i) {
    copied = CopyFileA(TestExecutablePath().c_str(), launcher.c_str(), FALSE) != FALSE;
    if (!copied) Sleep(100);
  }
  ASSERT_TRUE(copied);
  EXPECT_EQ(RunChild("remove"), "removed");
  EXPECT_FALSE(FileExists(launcher + ".viejo"));
  EXPECT_EQ(LogMessages().back(), "Borrado el launcher anterior (" + launcher + ".viejo)");
}

TEST_F(SelfUpdateTest, InstallFailuresKeepTheRunningBuild) {
  const std::string original = ReadFileBytes(launcher);
  EXPECT_EQ(RunChild("install"), "installed=0");
  EXPECT_EQ(LogMessages().back(), "InstalarLauncherNuevo: no existe " + launcher + ".nuevo");

  // The new build cannot be moved while another program holds it without delete sharing.
  ASSERT_TRUE(WriteFileBytes(launcher + ".nuevo", kNewBuild));
  HANDLE holder = CreateFileA((launcher + ".nuevo").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RunChild("install"), "installed=0");
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(launcher), original) << "the running build must be moved back";
  const std::string last = LogMessages().back();
  EXPECT_EQ(last.rfind("No se pudo colocar el launcher nuevo (error ", 0), 0u) << last;
  EXPECT_NE(last.find("); se deja el actual"), std::string::npos) << last;

  // The running build cannot be set aside when its ".viejo" name is taken by a folder.
  ASSERT_TRUE(CreateDirectoryA((launcher + ".viejo").c_str(), nullptr));
  EXPECT_EQ(RunChild("install"), "installed=0");
  EXPECT_EQ(LogMessages().back().rfind("No se pudo apartar el launcher actual (error ", 0), 0u);
  EXPECT_EQ(ReadFileBytes(launcher), original);
  EXPECT_EQ(ReadFileBytes(launcher + ".nuevo"), kNewBuild);
}

TEST_F(SelfUpdateTest, OldBuildHeldOpenIsDeletedOnALaterAttempt) {
  ASSERT_TRUE(WriteFileBytes(launcher + ".viejo", "old build"));
  HANDLE holder = CreateFileA((launcher + ".viejo").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  SetEnvironmentVariableA("VANDREL_SELF_UPDATE_ACTION", "remove");
  HANDLE child = StartProcess(launcher, "--gtest_filter=SelfUpdateChild.*", dir.path());
  SetEnvironmentVariableA("VANDREL_SELF_UPDATE_ACTION", nullptr);
  ASSERT_NE(child, nullptr);
  Sleep(1000);
  CloseHandle(holder);
  EXPECT_EQ(WaitExitCode(child), 0);
  CloseHandle(child);
  EXPECT_FALSE(FileExists(launcher + ".viejo"));
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"Borrado el launcher anterior (" + launcher + ".viejo)"});
}

}  // namespace
