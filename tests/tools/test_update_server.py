"""The test update server as the download and repair tests use it: a real server process, read through raw
sockets so that no HTTP client smooths a fault over."""
import socket
import sys
import time
import urllib.parse
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from conftest import UpdateSite, make_client  # noqa: E402

SMALL = b"1.4.2\r\n"
DATA = bytes(range(256)) * 40  # 10240 bytes, every byte value
BIN = "/sub/data.bin"
UA = "VandrelLauncher/2.0"
STALL = 1.0


def raw_get(port, path):
    """One GET on its own connection, read to the end of the stream: status, Content-Length, body, whether it ended
    in a reset, seconds to the first byte and to the end."""
    start = time.monotonic()
    buf, reset, t_first = b"", False, None
    with socket.create_connection(("127.0.0.1", port), timeout=10) as conn:
        conn.sendall(f"GET {path} HTTP/1.1\r\nHost: localhost\r\nUser-Agent: {UA}\r\nConnection: close\r\n\r\n".encode())
        try:
            while chunk := conn.recv(65536):
                buf += chunk
                t_first = t_first or time.monotonic() - start
        except ConnectionResetError:
            reset = True
    head, _, body = buf.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = {name.strip().lower(): value.strip() for name, _, value in (line.partition(":") for line in lines[1:])}
    return int(lines[0].split()[1]), headers.get("content-length"), body, reset, t_first, time.monotonic() - start


@pytest.fixture(scope="module")
def server(tmp_path_factory):
    base = tmp_path_factory.mktemp("site")
    make_client(base / "www", {"latest.txt": SMALL, BIN[1:]: DATA})
    (base / "secret.txt").write_text("outside the root")
    (base / "www/link.txt").symlink_to(base / "secret.txt")
    site = UpdateSite(base / "www")
    yield site
    site.stop()


# rules (path: the requested one unless named), requested path, statuses of successive requests, then the first
# answer's Content-Length (None: absent), body, and where it waited
CASES = [
    ([], "/latest.txt", [200], "7", SMALL, None),
    ([], "/%2e%2e/secret.txt", [403], "14", b"403 Forbidden\n", None),
    ([], "/link.txt", [403], "14", b"403 Forbidden\n", None),  # a symbolic link leading out of the root
    ([dict(mode="status", status=503, times=2)], BIN, [503, 503, 200], "24", b"503 Service Unavailable\n", None),
    ([dict(mode="truncate", bytes=1000)], BIN, [200], "10240", DATA[:1000], None),
    ([dict(mode="stall_body", seconds=STALL, bytes=300)], BIN, [200], "10240", DATA, "body"),
    ([dict(mode="no_length")], BIN, [200], None, DATA, None),
    ([dict(mode="no_length", body='{"online": 7}')], "/estado.php", [200], None, b'{"online": 7}', None),
    ([dict(path="*", mode="status", status=502)], "/missing", [502], "16", b"502 Bad Gateway\n", None),
    ([dict(path="*", mode="status", status=502), dict(mode="empty")], BIN, [200], "0", b"", None),
]


@pytest.mark.parametrize("rules, path, statuses, length, body, waits", CASES, ids=[str(c[:2]) for c in CASES])
def test_rules_shape_the_raw_response(server, rules, path, statuses, length, body, waits):
    server.control("reset")
    for rule in rules:
        server.control("rule?" + urllib.parse.urlencode({"path": path, **rule}))
    got_status, got_length, got_body, got_reset, first_byte, end = raw_get(server.port, path)
    assert (got_status, got_length, got_body, got_reset) == (statuses[0], length, body, False), "the answer as ruled"
    late = {"headers": (True, True), "body": (False, True), None: (False, False)}[waits]  # first byte, end
    assert (first_byte >= STALL * 0.9, end >= STALL * 0.9) == late, "the wait is where the rule puts it"
    assert [raw_get(server.port, path)[0] for _ in statuses[1:]] == statuses[1:], "times=N counts requests"


def test_log_counts_requests_clear_log_forgets_them_and_reset_drops_rules(server):
    server.control("reset")
    server.control("rule?path=/latest.txt&mode=status&status=500&times=1")
    for path in ("/latest.txt", "/latest.txt", "/missing"):
        raw_get(server.port, path)
    assert [(e["path"], e["user_agent"], e["status"], e["rule"]) for e in server.control("log")["requests"]] == \
        [("/latest.txt", UA, 500, "status"), ("/latest.txt", UA, 200, None), ("/missing", UA, 404, None)]
    assert server.request_counts() == {"/latest.txt": 2, "/missing": 1}, "control requests are not counted"
    server.control("rule?path=/latest.txt&mode=empty")
    server.control("clear_log")
    assert (raw_get(server.port, "/latest.txt")[2], server.request_counts()) == (b"", {"/latest.txt": 1}), \
        "clear_log forgets the requests and keeps the rules"
    server.control("reset")
    assert (raw_get(server.port, "/latest.txt")[2], server.request_counts()) == (SMALL, {"/latest.txt": 1}), \
        "reset drops the rules and forgets the requests"
