#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/launcher_app.h"
#include "core/module_path_win.h"
#include "support/server_test_win.h"

namespace {

class DownloadTest : public ServerTest {
 protected:
  LauncherApp app{nullptr};
};

std::string Retries(int attempts) {
  std::string lines;
  for (int n = 2; n <= attempts; ++n) lines += "Reintentando descarga (intento " + std::to_string(n) + ")...\n";
  return lines;
}

// One faulty first answer (or every answer) per row: what arrives, how often it is asked for, what is logged.
TEST_F(DownloadTest, EachServerFaultEndsInTheWholeBodyOrNoFile) {
  DownloadLimits slow = CappedAt(20000);
  slow.lowSpeedBytesPerSecond = 1000;
  slow.lowSpeedSeconds = 2;
  const std::string cut = "Descarga cortada: %s pasa de 20000 bytes";
  struct Case {
    const char* rule;
    DownloadLimits limits;
    bool whole;  // true: the whole body arrived; false: failure and no file
    int requests;
    std::vector<std::string> logged;  // %s stands for the address
  } const cases[] = {
      {"mode=normal", CappedAt(20000), true, 1, {}},  // exactly the bound is fine
      {"mode=status&status=404", {}, false, 1, {"Descarga rechazada, el servidor respondio 404: %s"}},
      {"mode=status&status=500", {}, false, 3, std::vector<std::string>(3, "Descarga rechazada, el servidor respondio 500: %s")},
      {"mode=status&status=503&times=1", {}, true, 2, {"Descarga rechazada, el servidor respondio 503: %s"}},
      {"mode=empty", {}, false, 3, {}},
      {"mode=endless", CappedAt(20000), false, 3, {cut, cut, cut}},
      {"mode=endless&length=1000000000000000&times=1", CappedAt(20000), true, 2, {cut}},
      {"mode=trickle&seconds=0.3&bytes=50&times=1", slow, true, 2,
       {"Descarga cortada por lenta (menos de 1000 bytes/s durante 2 s): %s"}},
      {"mode=truncate&bytes=5000&times=1", {}, true, 2, {}},
  };
  std::string body;
  for (int i = 0; i < 20000; ++i) body += static_cast<char>(i * 7);  // binary, several read blocks
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/b.bin", body));
  const std::string url = SiteUrl() + "/b.bin";
  for (const Case& c : cases) {
    ControlServer(server, "reset");
    ControlServer(server, "rule?path=/" + prefix + "/b.bin&" + c.rule);
    DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
    CapturedStdout out;
    EXPECT_EQ(app.DownloadFile(url, "out.bin", 0, c.limits), c.whole) << c.rule;
    EXPECT_EQ(out.Finish(), Retries(c.requests)) << c.rule << ": a retry is announced on standard output";
    EXPECT_EQ(Requests("/b.bin"), c.requests) << c.rule << ": 3 attempts, none after a 404";
    if (c.whole) {
      EXPECT_EQ(ReadFileBytes(game / "out.bin"), body) << c.rule << ": the body arrives whole";
    } else {
      EXPECT_FALSE(FileExists(game / "out.bin")) << c.rule << ": a failed download leaves no file";
    }
    std::vector<std::string> logged;
    for (std::string line : c.logged) logged.push_back(line.replace(line.find("%s"), 2, url));
    EXPECT_EQ(LogMessages(), logged) << c.rule;
    DeleteFileA("out.bin");
  }
  const std::string log = ControlServer(server, "log");
  EXPECT_NE(log.find("\"user_agent\": \"VandrelLauncher/2.0\""), std::string::npos) << "the launcher names itself: " << log;
}

TEST_F(DownloadTest, HttpsNeedsATrustedCertificateAndDeadAddressesFailQuietly) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/tls.txt", "cifrado"));
  EXPECT_TRUE(app.DownloadFile("https://localhost:" + std::to_string(server.httpsPort) + "/dl/tls.txt", "ok.txt"));
  EXPECT_EQ(ReadFileBytes(game / "ok.txt"), "cifrado");
  const std::string failing[] = {
      "https://localhost:" + std::to_string(server.untrustedHttpsPort) + "/dl/tls.txt",
      "https://localhost:" + std::to_string(server.httpPort) + "/dl/tls.txt",  // never downgraded to plain http
  };
  for (const std::string& url : failing) {
    CapturedStdout out;
    EXPECT_FALSE(app.DownloadFile(url, "no.txt")) << url;
    EXPECT_EQ(out.Finish(), Retries(3)) << url << ": tried three times";
    EXPECT_FALSE(FileExists(game / "no.txt")) << url;
  }
}

// The only long wait in the suite: a server that never answers is given up after the receive time-out.
TEST_F(DownloadTest, ServerThatNeverAnswersIsGivenUpAfterTheReceiveTimeout) {
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/slow.txt", "al fin"));
  ControlServer(server, "rule?path=/" + prefix + "/slow.txt&mode=stall&seconds=45&times=1");
  EXPECT_TRUE(Quietly([&] { return app.DownloadFile(SiteUrl() + "/slow.txt", "out.txt"); }));
  EXPECT_EQ(ReadFileBytes(game / "out.txt"), "al fin");
  EXPECT_EQ(Requests("/slow.txt"), 2) << "the stalled first attempt must be abandoned, not waited out";
}

}  // namespace
