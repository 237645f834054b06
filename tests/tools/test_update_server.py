"""The test update site: real server processes on 127.0.0.1, real sockets, real TLS."""

import json
import os
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.error
import urllib.parse
import urllib.request
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
SERVER = REPO / "tools" / "update_server.py"
MAKE_CERTS = REPO / "tools" / "make_test_certs.sh"

SMALL = b"1.4.2\r\n"
DATA = bytes(range(256)) * 40  # 10240 bytes, every byte value
UA = "VandrelLauncher/2.0"


# --- helpers ---------------------------------------------------------------------------------------


class Server:
    def __init__(self, proc, ports, port_file):
        self.proc = proc
        self.http = ports["http"]
        self.https = ports["https"]
        self.port_file = port_file

    def control(self, action, method="GET", **params):
        """Calls the control API; returns (status, decoded JSON)."""
        url = "http://127.0.0.1:%d/__control/%s" % (self.http, action)
        data = None
        if method == "GET" and params:
            url += "?" + urllib.parse.urlencode(params)
        elif method == "POST":
            data = json.dumps(params).encode()
        req = urllib.request.Request(url, data=data, method=method)
        try:
            with urllib.request.urlopen(req, timeout=5) as resp:
                return resp.status, json.loads(resp.read())
        except urllib.error.HTTPError as e:
            return e.code, json.loads(e.read())

    def rule(self, **params):
        status, answer = self.control("rule", method="POST", **params)
        assert status == 200, answer
        return answer

    def log(self):
        return self.control("log")[1]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def start_server(tmp, root, cert=None, key=None, max_seconds=60, extra=()):
    port_file = tmp / ("ports-%d.json" % time.monotonic_ns())
    args = [sys.executable, str(SERVER), "--root", str(root), "--port-file", str(port_file),
            "--max-seconds", str(max_seconds), *extra]
    if cert:
        args += ["--cert", str(cert), "--key", str(key)]
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 10
    while not port_file.exists():
        if proc.poll() is not None or time.monotonic() > deadline:
            proc.kill()
            raise AssertionError("server did not start: " + proc.stderr.read())
        time.sleep(0.02)
    return Server(proc, json.loads(port_file.read_text()), port_file)


class Raw:
    """What a client saw on the wire: status, headers, the body bytes, how it ended, and when."""

    def __init__(self):
        self.status = None
        self.headers = {}
        self.body = b""
        self.reset = False
        self.t_headers = None
        self.t_end = None


def raw_get(port, path, method="GET", tls=None, timeout=10):
    """One request on its own connection, read to the end of the stream (no HTTP client smoothing)."""
    out = Raw()
    start = time.monotonic()
    sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    if tls is not None:
        sock = tls.wrap_socket(sock, server_hostname="localhost")
    buf = b""
    try:
        sock.sendall(("%s %s HTTP/1.1\r\nHost: localhost\r\nUser-Agent: %s\r\nConnection: close\r\n\r\n"
                      % (method, path, UA)).encode())
        while True:
            try:
                chunk = sock.recv(65536)
            except (ConnectionResetError, ssl.SSLEOFError):
                out.reset = True
                break
            if not chunk:
                break
            buf += chunk
            if out.t_headers is None and b"\r\n\r\n" in buf:
                out.t_headers = time.monotonic() - start
    finally:
        sock.close()
    out.t_end = time.monotonic() - start
    head, _, out.body = buf.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    out.status = int(lines[0].split()[1])
    for line in lines[1:]:
        name, _, value = line.partition(":")
        out.headers[name.strip().lower()] = value.strip()
    return out


def read_all(server, path):
    with urllib.request.urlopen("http://127.0.0.1:%d%s" % (server.http, path), timeout=5) as resp:
        return resp.status, resp.read()


# --- fixtures --------------------------------------------------------------------------------------


@pytest.fixture(scope="module")
def certs(tmp_path_factory):
    folder = tmp_path_factory.mktemp("certs")
    subprocess.run(["bash", str(MAKE_CERTS), str(folder)], check=True, timeout=60)
    return folder


@pytest.fixture(scope="module")
def site(tmp_path_factory):
    base = tmp_path_factory.mktemp("site")
    root = base / "www"
    (root / "sub").mkdir(parents=True)
    (root / "latest.txt").write_bytes(SMALL)
    (root / "sub" / "data.bin").write_bytes(DATA)
    (base / "secret.txt").write_text("outside the root")
    os.symlink(base / "secret.txt", root / "link.txt")
    return root


@pytest.fixture(scope="module")
def server(tmp_path_factory, site, certs):
    srv = start_server(tmp_path_factory.mktemp("run"), site, certs / "server.crt", certs / "server.key")
    yield srv
    srv.stop()


@pytest.fixture(autouse=True)
def fresh(request):
    if "server" in request.fixturenames:
        request.getfixturevalue("server").control("reset")


# --- start-up, shutdown ----------------------------------------------------------------------------


def test_ports_are_announced_on_stdout_and_in_the_port_file(tmp_path, site, certs):
    srv = start_server(tmp_path, site, certs / "server.crt", certs / "server.key")
    try:
        lines = [srv.proc.stdout.readline().strip() for _ in range(2)]
        assert lines == ["HTTP_PORT=%d" % srv.http, "HTTPS_PORT=%d" % srv.https]
        assert srv.http != srv.https
        assert srv.control("ping")[1] == {"ok": True, "http": srv.http, "https": srv.https}
    finally:
        srv.stop()
    assert srv.proc.returncode == 0
    assert not srv.port_file.exists()


def test_http_only_server_announces_no_https_port(tmp_path, site):
    srv = start_server(tmp_path, site)
    try:
        assert srv.https is None
        assert srv.proc.stdout.readline().strip() == "HTTP_PORT=%d" % srv.http
        assert read_all(srv, "/latest.txt") == (200, SMALL)
    finally:
        srv.stop()


def test_max_seconds_ends_the_server_by_itself(tmp_path, site):
    srv = start_server(tmp_path, site, max_seconds=1)
    assert srv.proc.wait(5) == 0
    assert not srv.port_file.exists()


def test_sigterm_ends_the_server_even_during_a_stall(tmp_path, site):
    srv = start_server(tmp_path, site)
    srv.rule(path="/latest.txt", mode="stall", seconds=30)
    def stalled_client():
        try:
            raw_get(srv.http, "/latest.txt")
        except OSError:
            pass  # whether the answer makes it out before the process ends does not matter here

    client = threading.Thread(target=stalled_client)
    client.start()
    deadline = time.monotonic() + 5
    while srv.log()["counts"].get("/latest.txt") != 1 and time.monotonic() < deadline:
        time.sleep(0.02)
    started = time.monotonic()
    srv.proc.send_signal(signal.SIGTERM)
    assert srv.proc.wait(5) == 0
    assert time.monotonic() - started < 2
    client.join(5)


def test_fixed_port_is_used(tmp_path, site):
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    srv = start_server(tmp_path, site, extra=("--port", str(port)))
    try:
        assert srv.http == port
        assert read_all(srv, "/latest.txt") == (200, SMALL)
    finally:
        srv.stop()


# --- normal serving --------------------------------------------------------------------------------


@pytest.mark.parametrize("path, status, body", [
    ("/latest.txt", 200, SMALL),
    ("/sub/data.bin", 200, DATA),
    ("/sub/../latest.txt", 403, None),
    ("/../secret.txt", 403, None),
    ("/%2e%2e/secret.txt", 403, None),
    ("/sub/%2E%2E/%2E%2E/secret.txt", 403, None),
    ("/link.txt", 403, None),  # symbolic link leading out of the root
    ("/missing.txt", 404, None),
    ("/sub", 404, None),  # no directory listings
    ("/sub/", 404, None),
    ("/", 404, None),
])
def test_files_are_served_from_the_root_only(server, path, status, body):
    got = raw_get(server.http, path)
    assert got.status == status
    assert int(got.headers["content-length"]) == len(got.body)
    if body is not None:
        assert got.body == body
    else:
        assert b"outside the root" not in got.body


def test_head_announces_the_length_without_a_body(server):
    got = raw_get(server.http, "/sub/data.bin", method="HEAD")
    assert got.status == 200
    assert got.headers["content-length"] == str(len(DATA))
    assert got.body == b""


# --- fault injection -------------------------------------------------------------------------------

# rule, expected status, expected body, expected Content-Length header (None: absent), expected reset
FAULTS = [
    (dict(mode="status", status=404), 404, b"404 Not Found\n", "14", False),
    (dict(mode="status", status=500), 500, b"500 Internal Server Error\n", "26", False),
    (dict(mode="status", status=403, body="nope"), 403, b"nope", "4", False),
    (dict(mode="empty"), 200, b"", "0", False),
    (dict(mode="truncate", bytes=1000), 200, DATA[:1000], str(len(DATA)), False),
    (dict(mode="truncate"), 200, DATA[:len(DATA) // 2], str(len(DATA)), False),
    (dict(mode="truncate", bytes=0), 200, b"", str(len(DATA)), False),
    (dict(mode="no_length"), 200, DATA, None, False),
    (dict(mode="stall", seconds=0), 200, DATA, str(len(DATA)), False),
    (dict(mode="empty", body="ignored"), 200, b"", "0", False),
    (dict(mode="truncate", bytes=2, body="abcdef"), 200, b"ab", "6", False),
]


@pytest.mark.parametrize("rule, status, body, length, reset", FAULTS)
def test_fault_rules_shape_the_response(server, rule, status, body, length, reset):
    server.rule(path="/sub/data.bin", **rule)
    got = raw_get(server.http, "/sub/data.bin")
    assert got.status == status
    assert got.headers.get("content-length") == length
    assert got.body == body
    assert got.reset == reset
    # Another path is untouched.
    assert raw_get(server.http, "/latest.txt").body == SMALL


def test_truncate_with_abort_resets_the_connection(server):
    server.rule(path="/sub/data.bin", mode="truncate", bytes=500, abort=True)
    got = raw_get(server.http, "/sub/data.bin")
    assert got.status == 200
    assert got.reset
    assert len(got.body) <= 500


def test_stall_delays_the_headers(server):
    server.rule(path="/latest.txt", mode="stall", seconds=1)
    got = raw_get(server.http, "/latest.txt")
    assert got.t_headers >= 0.95
    assert (got.status, got.body) == (200, SMALL)


@pytest.mark.parametrize("then, body", [
    ("rest", DATA),
    ("close", DATA[:300]),
])
def test_stall_body_sends_headers_and_part_then_waits(server, then, body):
    server.rule(path="/sub/data.bin", mode="stall_body", seconds=1, bytes=300, then=then)
    got = raw_get(server.http, "/sub/data.bin")
    assert got.t_headers < 0.5
    assert got.t_end >= 0.95
    assert got.headers["content-length"] == str(len(DATA))
    assert got.body == body


def test_stalled_request_does_not_hold_up_others(server):
    server.rule(path="/latest.txt", mode="stall", seconds=1.5)
    slow = threading.Thread(target=raw_get, args=(server.http, "/latest.txt"))
    slow.start()
    time.sleep(0.1)
    started = time.monotonic()
    assert raw_get(server.http, "/sub/data.bin").body == DATA
    assert time.monotonic() - started < 0.8
    slow.join(5)


def test_times_limits_a_rule_to_the_first_requests(server):
    server.rule(path="/latest.txt", mode="status", status=503, times=2)
    statuses = [raw_get(server.http, "/latest.txt").status for _ in range(4)]
    assert statuses == [503, 503, 200, 200]
    assert server.control("rules")[1]["rules"] == {}


def test_rule_without_times_stays(server):
    server.rule(path="/latest.txt", mode="status", status=500)
    assert [raw_get(server.http, "/latest.txt").status for _ in range(3)] == [500, 500, 500]


def test_rules_match_the_exact_request_target(server):
    server.rule(path="/latest.txt", mode="status", status=500)
    assert raw_get(server.http, "/latest.txt?x=1").status == 200
    assert raw_get(server.http, "/%6Catest.txt").status == 200  # same file, different target
    assert raw_get(server.http, "/latest.txt").status == 500


def test_wildcard_rule_applies_where_no_exact_rule_does(server):
    server.rule(path="*", mode="status", status=502)
    server.rule(path="/latest.txt", mode="empty")
    assert raw_get(server.http, "/sub/data.bin").status == 502
    assert raw_get(server.http, "/missing").status == 502
    got = raw_get(server.http, "/latest.txt")
    assert (got.status, got.body) == (200, b"")


def test_body_serves_a_path_without_a_file(server):
    server.rule(path="/estado.php", mode="no_length", body='{"online": 7}')
    got = raw_get(server.http, "/estado.php")
    assert (got.status, got.body) == (200, b'{"online": 7}')
    assert "content-length" not in got.headers


def test_mode_normal_and_reset_remove_rules(server):
    server.rule(path="/latest.txt", mode="status", status=500)
    server.rule(path="/sub/data.bin", mode="empty")
    server.rule(path="/latest.txt", mode="normal")
    assert raw_get(server.http, "/latest.txt").status == 200
    assert list(server.control("rules")[1]["rules"]) == ["/sub/data.bin"]
    server.control("reset", method="POST")
    assert raw_get(server.http, "/sub/data.bin").body == DATA


# --- control API -----------------------------------------------------------------------------------


def test_control_accepts_query_json_and_form(server):
    assert server.control("rule", path="/latest.txt", mode="status", status="500")[0] == 200
    assert raw_get(server.http, "/latest.txt").status == 500
    server.rule(path="/latest.txt", mode="status", status=501)
    assert raw_get(server.http, "/latest.txt").status == 501
    form = urllib.parse.urlencode({"path": "/latest.txt", "mode": "status", "status": "502"}).encode()
    urllib.request.urlopen("http://127.0.0.1:%d/__control/rule" % server.http, data=form, timeout=5).close()
    assert raw_get(server.http, "/latest.txt").status == 502


@pytest.mark.parametrize("params", [
    dict(mode="status", status=500),
    dict(path="/x", mode="explode"),
    dict(path="/x", mode="status", status="abc"),
    dict(path="/x", mode="status", status=42),
    dict(path="/x", mode="stall"),
    dict(path="/x", mode="stall", seconds=-1),
    dict(path="/x", mode="truncate", bytes=1.5),
    dict(path="/x", mode="empty", times=0),
    dict(path="/x", mode="stall_body", seconds=1, then="later"),
])
def test_bad_rules_are_refused(server, params):
    status, answer = server.control("rule", method="POST", **params)
    assert status == 400
    assert answer["ok"] is False and answer["error"]
    assert server.control("rules")[1]["rules"] == {}


def test_bad_json_and_unknown_actions_are_refused(server):
    req = urllib.request.Request("http://127.0.0.1:%d/__control/rule" % server.http, data=b"{oops", method="POST")
    with pytest.raises(urllib.error.HTTPError) as e:
        urllib.request.urlopen(req, timeout=5)
    assert e.value.code == 400
    assert server.control("nonsense")[0] == 404


def test_log_records_requests_and_counts(server):
    server.rule(path="/latest.txt", mode="status", status=500, times=1)
    for _ in range(2):
        raw_get(server.http, "/latest.txt")
    raw_get(server.http, "/missing")
    with urllib.request.urlopen("http://127.0.0.1:%d/latest.txt" % server.http, timeout=5) as resp:
        resp.read()
    log = server.log()
    assert log["counts"] == {"/latest.txt": 3, "/missing": 1}
    summary = [(e["method"], e["path"], e["user_agent"], e["scheme"], e["status"], e["rule"])
               for e in log["requests"]]
    assert summary == [
        ("GET", "/latest.txt", UA, "http", 500, "status"),
        ("GET", "/latest.txt", UA, "http", 200, None),
        ("GET", "/missing", UA, "http", 404, None),
        ("GET", "/latest.txt", "Python-urllib/%d.%d" % sys.version_info[:2], "http", 200, None),
    ]
    assert [e["seq"] for e in log["requests"]] == sorted(e["seq"] for e in log["requests"])


def test_log_shows_a_request_while_it_is_stalled(server):
    server.rule(path="/latest.txt", mode="stall", seconds=1)
    client = threading.Thread(target=raw_get, args=(server.http, "/latest.txt"))
    client.start()
    time.sleep(0.3)
    entry = server.log()["requests"][0]
    assert (entry["path"], entry["status"]) == ("/latest.txt", None)
    client.join(5)
    assert server.log()["requests"][0]["status"] == 200


def test_clear_log_and_reset_forget_requests(server):
    raw_get(server.http, "/latest.txt")
    server.rule(path="/latest.txt", mode="empty")
    server.control("clear_log", method="POST")
    assert server.log()["requests"] == [] and server.log()["counts"] == {}
    assert raw_get(server.http, "/latest.txt").body == b""  # clear_log keeps the rules
    server.control("reset")
    assert server.log()["counts"] == {}
    assert raw_get(server.http, "/latest.txt").body == SMALL


# --- HTTPS -----------------------------------------------------------------------------------------


def trusting(certs):
    return ssl.create_default_context(cafile=str(certs / "ca.crt"))


def test_https_is_trusted_through_the_test_ca(server, certs):
    with urllib.request.urlopen("https://localhost:%d/sub/data.bin" % server.https, context=trusting(certs),
                                timeout=5) as resp:
        assert resp.read() == DATA
    entry = server.log()["requests"][-1]
    assert (entry["scheme"], entry["path"], entry["status"]) == ("https", "/sub/data.bin", 200)


def test_https_shares_rules_with_http(server, certs):
    server.rule(path="/latest.txt", mode="truncate", bytes=3)
    got = raw_get(server.https, "/latest.txt", tls=trusting(certs))
    assert got.headers["content-length"] == str(len(SMALL))
    assert got.body == SMALL[:3]
    server.rule(path="/latest.txt", mode="no_length")
    got = raw_get(server.https, "/latest.txt", tls=trusting(certs))
    assert (got.body, got.reset) == (SMALL, False)  # ends with close_notify, not a bare close


def test_https_without_the_ca_is_refused(server):
    with pytest.raises(ssl.SSLCertVerificationError):
        raw_get(server.https, "/latest.txt", tls=ssl.create_default_context())


def test_untrusted_certificate_is_refused(tmp_path, site, certs):
    srv = start_server(tmp_path, site, certs / "untrusted.crt", certs / "untrusted.key")
    try:
        with pytest.raises(ssl.SSLCertVerificationError):
            raw_get(srv.https, "/latest.txt", tls=trusting(certs))
        # A failed handshake costs the server nothing: it keeps serving.
        assert read_all(srv, "/latest.txt") == (200, SMALL)
    finally:
        srv.stop()


def test_https_handshake_that_never_comes_does_not_block_others(server, certs):
    with socket.create_connection(("127.0.0.1", server.https)):
        with urllib.request.urlopen("https://localhost:%d/latest.txt" % server.https, context=trusting(certs),
                                    timeout=3) as resp:
            assert resp.read() == SMALL


# --- certificates ----------------------------------------------------------------------------------


def test_certificates_are_made_once(certs):
    names = ["ca.key", "ca.crt", "ca.der", "server.key", "server.crt", "untrusted.key", "untrusted.crt"]
    before = {n: (certs / n).read_bytes() for n in names}
    subprocess.run(["bash", str(MAKE_CERTS), str(certs)], check=True, timeout=60)
    assert {n: (certs / n).read_bytes() for n in names} == before
    assert ssl.PEM_cert_to_DER_cert((certs / "ca.crt").read_text()) == before["ca.der"]


@pytest.mark.parametrize("cert, trusted", [
    ("server.crt", True),
    ("untrusted.crt", False),
])
def test_only_the_server_certificate_chains_to_the_ca(certs, cert, trusted):
    verify = subprocess.run(["openssl", "verify", "-CAfile", str(certs / "ca.crt"), str(certs / cert)],
                            capture_output=True, text=True)
    assert (verify.returncode == 0) == trusted
    text = subprocess.run(["openssl", "x509", "-in", str(certs / cert), "-noout", "-ext", "subjectAltName"],
                          capture_output=True, text=True, check=True).stdout
    assert "DNS:localhost" in text and "IP Address:127.0.0.1" in text


def test_missing_file_makes_a_complete_new_set(tmp_path, certs):
    folder = tmp_path / "c"
    folder.mkdir()
    for name in ("ca.key", "ca.crt", "ca.der", "untrusted.key", "untrusted.crt"):
        (folder / name).write_bytes((certs / name).read_bytes())
    subprocess.run(["bash", str(MAKE_CERTS), str(folder)], check=True, timeout=60)
    verify = subprocess.run(["openssl", "verify", "-CAfile", str(folder / "ca.crt"), str(folder / "server.crt")],
                            capture_output=True)
    assert verify.returncode == 0
