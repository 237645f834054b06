#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/launcher_app.h"
#include "core/module_path_win.h"
#include "support/server_test_win.h"
#include "update/messages.h"

namespace {

std::vector<LPARAM> progressSeen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UM_PROGRESS) progressSeen.push_back(lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

class DownloadTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    progressSeen.clear();
  }

  std::string Http(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(server.httpPort) + path; }
  std::vector<std::string> LogLines() const { return LogMessages(); }

  const ScratchDir& dir = game;
  LauncherApp app{nullptr};
};

TEST_F(DownloadTest, BodyArrivesWholeWithTheLauncherUserAgent) {
  std::string body;
  for (int i = 0; i < 3000; ++i) body += static_cast<char>(i * 7);  // binary, several read blocks
  ASSERT_TRUE(WriteSiteFile(server, "dl/ok.bin", body));
  EXPECT_TRUE(app.DownloadFile(Http("/dl/ok.bin"), "out.bin"));
  EXPECT_EQ(ReadFileBytes(dir / "out.bin"), body);
  const std::string log = ControlServer(server, "log");
  EXPECT_NE(log.find("\"user_agent\": \"VandrelLauncher/2.0\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"method\": \"GET\""), std::string::npos) << log;
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(DownloadTest, NotFoundEndsAtOnceWithOneLogLine) {
  CapturedStdout out;
  const std::string url = Http("/dl/missing.bin");
  EXPECT_FALSE(app.DownloadFile(url, "out.bin"));
  EXPECT_EQ(out.Finish(), "");
  EXPECT_EQ(RequestCount(server, "/dl/missing.bin"), 1);
  EXPECT_FALSE(FileExists(dir / "out.bin"));
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Descarga rechazada, el servidor respondio 404: " + url);
}

TEST_F(DownloadTest, ServerErrorIsTriedThreeTimesWithWaits) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/err.bin", "x"));
  ControlServer(server, "rule?path=/dl/err.bin&mode=status&status=500");
  CapturedStdout out;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(app.DownloadFile(Http("/dl/err.bin"), "out.bin"));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(out.Finish(), "Reintentando descarga (intento 2)...\nReintentando descarga (intento 3)...\n");
  EXPECT_GE(elapsed, std::chrono::milliseconds(4900));
  EXPECT_EQ(RequestCount(server, "/dl/err.bin"), 3);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  for (const auto& line : lines) EXPECT_NE(line.find("respondio 500: "), std::string::npos) << line;
}

TEST_F(DownloadTest, OneFailureThenSuccess) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/flaky.bin", "contenido"));
  ControlServer(server, "rule?path=/dl/flaky.bin&mode=status&status=503&times=1");
  CapturedStdout out;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(app.DownloadFile(Http("/dl/flaky.bin"), "out.bin"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
  EXPECT_EQ(out.Finish(), "Reintentando descarga (intento 2)...\n");
  EXPECT_EQ(ReadFileBytes(dir / "out.bin"), "contenido");
}

TEST_F(DownloadTest, FailedDownloadLeavesNoFile) {
  // An empty body, and an endless one against a bound: a full disk must not stay full.
  for (const char* rule : {"mode=empty", "mode=endless"}) {
    ASSERT_TRUE(WriteSiteFile(server, "dl/bad.bin", "never sent"));
    ControlServer(server, std::string("rule?path=/dl/bad.bin&") + rule);
    EXPECT_FALSE(Quietly([&] { return app.DownloadFile(Http("/dl/bad.bin"), "out.bin", 0, CappedAt(100000)); }))
        << rule;
    EXPECT_FALSE(FileExists(dir / "out.bin")) << rule;
  }
  EXPECT_EQ(RequestCount(server, "/dl/bad.bin"), 6);
}

TEST_F(DownloadTest, AttemptsEndAtTheSizeBoundAndBelowTheLowSpeed) {
  DownloadLimits slow = CappedAt(20000);
  slow.lowSpeedBytesPerSecond = 1000;
  slow.lowSpeedSeconds = 2;
  struct Case {
    const char* rule;  // for the first attempt; the second gets the file
    DownloadLimits limits;
    const char* logged;  // "" for none, else the log line before the URL
  } const cases[] = {
      {"mode=normal", CappedAt(20000), ""},  // exactly the bound is fine
      {"mode=endless", CappedAt(20000), "Descarga cortada: %s pasa de 20000 bytes"},
      {"mode=endless&length=1000000000000000", CappedAt(20000), "Descarga cortada: %s pasa de 20000 bytes"},
      {"mode=trickle&seconds=0.3&bytes=50", slow, "Descarga cortada por lenta (menos de 1000 bytes/s durante 2 s): %s"},
  };
  const std::string body(20000, 'b');
  ASSERT_TRUE(WriteSiteFile(server, "dl/b.bin", body));
  for (const Case& c : cases) {
    ControlServer(server, "reset");
    DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
    ControlServer(server, std::string("rule?path=/dl/b.bin&times=1&") + c.rule);
    EXPECT_TRUE(Quietly([&] { return app.DownloadFile(Http("/dl/b.bin"), "b.bin", 0, c.limits); })) << c.rule;
    EXPECT_EQ(ReadFileBytes(dir / "b.bin"), body) << c.rule;
    std::string expected = c.logged;
    if (!expected.empty()) expected.replace(expected.find("%s"), 2, Http("/dl/b.bin"));
    EXPECT_EQ(LogLines(), expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected}) << c.rule;
  }
}

TEST_F(DownloadTest, BodyCutShortIsRetriedNotAccepted) {
  const std::string body(20000, 'm');
  ASSERT_TRUE(WriteSiteFile(server, "dl/cut.json", body));
  ControlServer(server, "rule?path=/dl/cut.json&mode=truncate&bytes=5000&times=1");
  EXPECT_TRUE(Quietly([&] { return app.DownloadFile(Http("/dl/cut.json"), "out.json"); }));
  EXPECT_EQ(RequestCount(server, "/dl/cut.json"), 2);
  EXPECT_EQ(ReadFileBytes(dir / "out.json"), body);
}

TEST_F(DownloadTest, BodyWithoutLengthIsAcceptedWhole) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/nolen.txt", "sin longitud"));
  ControlServer(server, "rule?path=/dl/nolen.txt&mode=no_length");
  EXPECT_TRUE(app.DownloadFile(Http("/dl/nolen.txt"), "out.txt"));
  EXPECT_EQ(ReadFileBytes(dir / "out.txt"), "sin longitud");
}

TEST_F(DownloadTest, RefusedConnectionFailsQuietlyAfterThreeAttempts) {
  // Nothing listens on port 1 of the loopback address.
  CapturedStdout out;
  EXPECT_FALSE(app.DownloadFile("http://127.0.0.1:1/x", "out.bin"));
  EXPECT_EQ(out.Finish(), "Reintentando descarga (intento 2)...\nReintentando descarga (intento 3)...\n");
  EXPECT_TRUE(LogLines().empty());
  EXPECT_FALSE(FileExists(dir / "out.bin"));
}

TEST_F(DownloadTest, AddressThatCannotBeSplitFailsEveryAttempt) {
  CapturedStdout out;
  EXPECT_FALSE(app.DownloadFile("ftp://127.0.0.1/latest.txt", "out.txt"));
  EXPECT_EQ(out.Finish(), "Reintentando descarga (intento 2)...\nReintentando descarga (intento 3)...\n");
  EXPECT_TRUE(LogLines().empty());
  EXPECT_FALSE(FileExists(dir / "out.txt"));
}

TEST_F(DownloadTest, ProgressOnlyWithAKnownSizeAndAWindow) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/p.bin", std::string(20000, 'p')));
  HWND window = MakeMessageWindow("DownloadTestWindow", RecordingProc);
  ASSERT_NE(window, nullptr);
  LauncherApp windowed(window);

  // Announced 10000, delivered 20000: the percentage passes 100 unclamped.
  ASSERT_TRUE(windowed.DownloadFile(Http("/dl/p.bin"), "a.bin", 10000));
  ASSERT_FALSE(progressSeen.empty());
  EXPECT_EQ(progressSeen.back(), 200);
  for (size_t i = 1; i < progressSeen.size(); ++i) EXPECT_GE(progressSeen[i], progressSeen[i - 1]);

  progressSeen.clear();
  ASSERT_TRUE(windowed.DownloadFile(Http("/dl/p.bin"), "b.bin"));
  EXPECT_TRUE(progressSeen.empty()) << "no size, no progress";

  ASSERT_TRUE(app.DownloadFile(Http("/dl/p.bin"), "c.bin", 20000));  // no window: nothing to send
  EXPECT_EQ(ReadFileBytes(dir / "c.bin").size(), 20000u);
  DestroyWindow(window);
}

TEST_F(DownloadTest, HttpsNeedsATrustedCertificate) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/tls.txt", "cifrado"));
  EXPECT_TRUE(app.DownloadFile("https://localhost:" + std::to_string(server.httpsPort) + "/dl/tls.txt", "ok.txt"));
  EXPECT_EQ(ReadFileBytes(dir / "ok.txt"), "cifrado");
  EXPECT_EQ(RequestCount(server, "/dl/tls.txt"), 1);

  EXPECT_FALSE(Quietly([&] {
    return app.DownloadFile("https://localhost:" + std::to_string(server.untrustedHttpsPort) + "/dl/tls.txt", "no.txt");
  }));
  EXPECT_FALSE(FileExists(dir / "no.txt"));
  // An https address to the plain port is not silently downgraded.
  EXPECT_FALSE(Quietly([&] {
    return app.DownloadFile("https://localhost:" + std::to_string(server.httpPort) + "/dl/tls.txt", "no2.txt");
  }));
}

TEST_F(DownloadTest, ServerThatNeverAnswersIsGivenUpAfterTheReceiveTimeout) {
  ASSERT_TRUE(WriteSiteFile(server, "dl/slow.txt", "al fin"));
  ControlServer(server, "rule?path=/dl/slow.txt&mode=stall&seconds=45&times=1");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Quietly([&] { return app.DownloadFile(Http("/dl/slow.txt"), "out.txt"); }));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(ReadFileBytes(dir / "out.txt"), "al fin");
  // First attempt cut at about 30 s, then the 2 s wait; not held for the server's full 45 s.
  EXPECT_GE(elapsed, std::chrono::seconds(25));
  EXPECT_LT(elapsed, std::chrono::seconds(44));
}

}  // namespace
