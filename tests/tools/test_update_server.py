"""The test update server's fault injection as the other tests use it: a real server process, read through raw
sockets so that no HTTP client smooths a fault over."""
import socket
import sys
import time
import urllib.parse
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from conftest import UpdateSite, make_client  # noqa: E402

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
    site = UpdateSite(make_client(tmp_path_factory.mktemp("site"), {BIN[1:]: DATA}))
    yield site
    site.stop()


# The faults other tests could pass over unnoticed if the server ignored them (a wait that never happens, a length
# sent anyway): rules, requested path, then the answer's status, Content-Length (None: absent), body, where it waited.
CASES = [
    ([dict(mode="stall", seconds=STALL)], BIN, 200, "10240", DATA, "headers"),
    ([dict(mode="stall_body", seconds=STALL, bytes=300)], BIN, 200, "10240", DATA, "body"),
    ([dict(mode="no_length")], BIN, 200, None, DATA, None),
    ([dict(mode="no_length", body='{"online": 7}')], "/estado.php", 200, None, b'{"online": 7}', None),
]


@pytest.mark.parametrize("rules, path, status, length, body, waits", CASES, ids=[str(c[:2]) for c in CASES])
def test_rules_shape_the_raw_response(server, rules, path, status, length, body, waits):
    server.control("reset")
    for rule in rules:
        server.control("rule?" + urllib.parse.urlencode({"path": path, **rule}))
    got_status, got_length, got_body, got_reset, first_byte, end = raw_get(server.port, path)
    assert (got_status, got_length, got_body, got_reset) == (status, length, body, False), "the answer as ruled"
    late = {"headers": (True, True), "body": (False, True), None: (False, False)}[waits]  # first byte, end
    assert (first_byte >= STALL * 0.9, end >= STALL * 0.9) == late, "the wait is where the rule puts it"
