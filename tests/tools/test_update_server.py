"""The test update site as the download and repair tests use it: real server processes, sockets and TLS."""

import collections
import json
import signal
import socket
import ssl
import subprocess
import sys
import time
import urllib.parse
import urllib.request
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
SMALL = b"1.4.2\r\n"
DATA = bytes(range(256)) * 40  # 10240 bytes, every byte value
BIN = "/sub/data.bin"
UA = "VandrelLauncher/2.0"
STALL = 1.0


class Server:
    """One update_server.py process; with `cert`, the stem of a .crt/.key pair, it serves HTTPS too."""

    def __init__(self, tmp, root, cert=None):
        self.port_file = tmp / ("ports-%d.json" % time.monotonic_ns())
        args = [sys.executable, str(REPO / "tools" / "update_server.py"), "--root", str(root),
                "--port-file", str(self.port_file), "--max-seconds", "60"]
        if cert:
            args += ["--cert", str(cert) + ".crt", "--key", str(cert) + ".key"]
        self.proc = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + 10
        while not self.port_file.exists():
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.proc.kill()
                raise AssertionError("server did not start: " + self.proc.stderr.read())
            time.sleep(0.02)
        self.http, self.https = (json.loads(self.port_file.read_text())[k] for k in ("http", "https"))

    def control(self, action, **params):
        url = "http://127.0.0.1:%d/__control/%s?%s" % (self.http, action, urllib.parse.urlencode(params))
        with urllib.request.urlopen(url, timeout=5) as resp:
            return json.loads(resp.read())

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        return self.proc.wait(5)


Raw = collections.namedtuple("Raw", "status headers body reset t_first t_end")


def raw_get(port, path, tls=None):
    """One GET on its own connection, read to the end of the stream, with no HTTP client smoothing it over."""
    start = time.monotonic()
    conn = socket.create_connection(("127.0.0.1", port), timeout=10)
    buf, reset, t_first = b"", False, None
    try:
        if tls is not None:
            conn = tls.wrap_socket(conn, server_hostname="localhost")
        conn.sendall(("GET %s HTTP/1.1\r\nHost: localhost\r\nUser-Agent: %s\r\nConnection: close\r\n\r\n"
                      % (path, UA)).encode())
        try:
            while chunk := conn.recv(65536):
                buf += chunk
                t_first = t_first or time.monotonic() - start
        except (ConnectionResetError, ssl.SSLEOFError):
            reset = True
    finally:
        conn.close()
    head, _, body = buf.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = {name.strip().lower(): value.strip() for name, _, value in (line.partition(":") for line in lines[1:])}
    return Raw(int(lines[0].split()[1]), headers, body, reset, t_first, time.monotonic() - start)


@pytest.fixture(scope="module")
def certs(tmp_path_factory):
    folder = tmp_path_factory.mktemp("certs")
    subprocess.run(["bash", str(REPO / "tools" / "make_test_certs.sh"), str(folder)], check=True, timeout=60)
    return folder


@pytest.fixture(scope="module")
def site(tmp_path_factory):
    base = tmp_path_factory.mktemp("site")
    root = base / "www"
    (root / "sub").mkdir(parents=True)
    (root / "latest.txt").write_bytes(SMALL)
    (root / BIN.lstrip("/")).write_bytes(DATA)
    (base / "secret.txt").write_text("outside the root")
    (root / "link.txt").symlink_to(base / "secret.txt")
    return root


@pytest.fixture(scope="module")
def server(tmp_path_factory, site, certs):
    srv = Server(tmp_path_factory.mktemp("run"), site, certs / "server")
    yield srv
    srv.stop()


@pytest.fixture(autouse=True)
def fresh(request):
    if "server" in request.fixturenames:
        request.getfixturevalue("server").control("reset")


@pytest.mark.parametrize("path, status, body", [
    ("/latest.txt", 200, SMALL),
    (BIN, 200, DATA),
    ("/missing.txt", 404, None),
    ("/sub/", 404, None),  # no directory listings
    ("/sub/../latest.txt", 403, None),
    ("/%2e%2e/secret.txt", 403, None),
    ("/link.txt", 403, None),  # a symbolic link leading out of the root
])
def test_serves_files_under_the_root_only(server, path, status, body):
    got = raw_get(server.http, path)
    assert (got.status, int(got.headers["content-length"])) == (status, len(got.body))
    assert b"outside the root" not in got.body
    if body is not None:
        assert got.body == body


# rules (path: the requested one unless named), requested path, statuses of successive requests, then the first
# answer's Content-Length (None: absent), body, whether it ended in a reset, and where it waited
FAULTS = [
    (dict(mode="status", status=500), BIN, [500, 500], "26", b"500 Internal Server Error\n", False, None),
    (dict(mode="status", status=503, body="busy"), BIN, [503], "4", b"busy", False, None),
    (dict(mode="status", status=503, times=2), BIN, [503, 503, 200], "24", b"503 Service Unavailable\n", False, None),
    (dict(mode="empty"), BIN, [200], "0", b"", False, None),
    (dict(mode="truncate", bytes=1000), BIN, [200], "10240", DATA[:1000], False, None),
    (dict(mode="truncate", bytes=500, abort=1), BIN, [200], "10240", DATA[:500], True, None),
    (dict(mode="stall", seconds=STALL), BIN, [200], "10240", DATA, False, "headers"),
    (dict(mode="stall_body", seconds=STALL, bytes=300), BIN, [200], "10240", DATA, False, "body"),
    (dict(mode="stall_body", seconds=STALL, bytes=300, then="close"), BIN, [200], "10240", DATA[:300], False, "body"),
    (dict(mode="no_length"), BIN, [200], None, DATA, False, None),
    (dict(mode="trickle", seconds=STALL / 2, bytes=4000), BIN, [200], "10240", DATA, False, "body"),
    (dict(mode="no_length", body='{"online": 7}'), "/estado.php", [200], None, b'{"online": 7}', False, None),
    (dict(path="*", mode="status", status=502), "/missing", [502], "16", b"502 Bad Gateway\n", False, None),
    ([dict(path="*", mode="status", status=502), dict(mode="empty")], BIN, [200], "0", b"", False, None),
]


@pytest.mark.parametrize("rules, path, statuses, length, body, reset, waits", FAULTS, ids=[str(f[0]) for f in FAULTS])
def test_fault_rules_shape_the_raw_response(server, rules, path, statuses, length, body, reset, waits):
    for rule in rules if isinstance(rules, list) else [rules]:
        server.control("rule", **{"path": path, **rule})
    got = raw_get(server.http, path)
    assert (got.status, got.headers.get("content-length"), got.reset) == (statuses[0], length, reset)
    assert body.startswith(got.body) if reset else got.body == body  # a reset may lose what was in flight
    late = {"headers": (True, True), "body": (False, True), None: (False, False)}[waits]  # first byte, end
    assert (got.t_first >= STALL * 0.9, got.t_end >= STALL * 0.9) == late
    assert [raw_get(server.http, path).status for _ in statuses[1:]] == statuses[1:]


def test_log_counts_requests_clear_log_forgets_them_and_reset_drops_rules(server):
    server.control("rule", path="/latest.txt", mode="status", status=500, times=1)
    for path in ("/latest.txt", "/latest.txt", "/missing"):
        raw_get(server.http, path)
    log = server.control("log")
    assert log["counts"] == {"/latest.txt": 2, "/missing": 1}  # control requests are not recorded
    assert [(e["method"], e["path"], e["user_agent"], e["scheme"], e["status"], e["rule"])
            for e in log["requests"]] == [("GET", "/latest.txt", UA, "http", 500, "status"),
                                          ("GET", "/latest.txt", UA, "http", 200, None),
                                          ("GET", "/missing", UA, "http", 404, None)]
    server.control("rule", path="/latest.txt", mode="empty")
    server.control("clear_log")
    assert raw_get(server.http, "/latest.txt").body == b""  # clear_log keeps the rules
    log = server.control("log")
    assert (len(log["requests"]), log["counts"]) == (1, {"/latest.txt": 1})
    server.control("reset")
    assert server.control("log") == {"ok": True, "requests": [], "counts": {}}
    assert raw_get(server.http, "/latest.txt").body == SMALL


def test_https_is_trusted_through_the_test_ca_only(server, certs, site, tmp_path):
    trusting = ssl.create_default_context(cafile=str(certs / "ca.crt"))
    trusting.options &= ~ssl.OP_IGNORE_UNEXPECTED_EOF  # a stream ended without close_notify shows as a reset
    server.control("rule", path=BIN, mode="no_length")  # rules are shared; the end is a clean close_notify
    got = raw_get(server.https, BIN, tls=trusting)
    assert (got.status, got.body, got.reset) == (200, DATA, False)
    assert server.control("log")["requests"][-1]["scheme"] == "https"
    untrusted = Server(tmp_path, site, certs / "untrusted")
    try:
        with pytest.raises(ssl.SSLCertVerificationError):
            raw_get(untrusted.https, "/latest.txt", tls=trusting)
        assert raw_get(untrusted.http, "/latest.txt").body == SMALL  # a failed handshake costs it nothing
    finally:
        assert untrusted.stop() == 0


def test_sigterm_ends_the_server_even_during_a_stall(tmp_path, site):
    srv = Server(tmp_path, site)
    assert srv.https is None
    srv.control("rule", path="/latest.txt", mode="stall", seconds=30)
    stalled = socket.create_connection(("127.0.0.1", srv.http), timeout=5)
    stalled.sendall(b"GET /latest.txt HTTP/1.1\r\nHost: localhost\r\n\r\n")
    deadline = time.monotonic() + 5
    while srv.control("log")["counts"].get("/latest.txt") != 1 and time.monotonic() < deadline:
        time.sleep(0.02)
    started = time.monotonic()
    assert raw_get(srv.http, BIN).body == DATA  # a stalled answer holds up no other
    assert srv.stop() == 0
    assert time.monotonic() - started < 2
    assert not srv.port_file.exists()
    stalled.close()
