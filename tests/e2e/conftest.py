"""Helpers for end-to-end tests: the real launcher.exe under Wine in a scratch game folder, against sites that
publicar.py writes and the test update server serves on 127.0.0.1."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.request
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
WIN_BUILD = Path(os.environ.get("VANDREL_WIN_BUILD", ROOT / "build" / "win"))
TOOLS = ROOT / "tools"
PYTHON = sys.executable
sys.path.insert(0, str(TOOLS))
from xwindow import wait_for  # noqa: E402,F401  (one poller for every test)


def make_client(folder: Path, files: dict[str, bytes]) -> Path:
    """Writes a tree of files: relative path with "/" -> content."""
    folder.mkdir(parents=True, exist_ok=True)
    for name, content in files.items():
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        (folder / name).write_bytes(content)
    return folder


class GameFolder:
    """A game installation folder: a copy of launcher.exe (or of the build named by exe) and what is given."""

    def __init__(self, path: Path, exe: str = "launcher.exe", files: dict = {}, url: str = "", version: bytes = b""):
        self.path = make_client(path, files)
        shutil.copy2(WIN_BUILD / exe, path / "launcher.exe")
        if url:
            (path / "actualizador.ini").write_bytes(f"url={url}\r\n".encode())
        if version:
            (path / "version.txt").write_bytes(version)

    def run(self, *args: str, cwd: Path | None = None, timeout: float = 120,
            wrap: tuple = ()) -> subprocess.CompletedProcess:
        """Runs launcher.exe with the arguments, under the command prefix `wrap` if any, to its end."""
        # Output goes through files, not pipes: Wine services started on the way inherit the
        # handles and would keep a pipe open long after the launcher has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run([*wrap, "wine", str(self.path / "launcher.exe"), *args], cwd=cwd or self.path,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            result.stdout, result.stderr = out.read(), err.read()
        return result

    def start(self, *args: str) -> subprocess.Popen:
        """Starts launcher.exe and returns at once; its output is dropped."""
        return subprocess.Popen(["wine", str(self.path / "launcher.exe"), *args], cwd=self.path,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def log_lines(self) -> list[str]:
        """The log's lines without their time stamps (the launcher's code page is UTF-8: its manifest says so)."""
        log = self.path / "launcher_log.txt"
        text = log.read_bytes().decode("utf-8") if log.exists() else ""
        return [line.split("] ", 1)[1] for line in text.split("\r\n") if line]

    def client_starts(self) -> list[str]:  # one "cwd=<its working folder>|..." per start of the stand-in client
        record = self.path / "qarlokclient_started.txt"
        return record.read_text(encoding="utf-8").splitlines() if record.exists() else []


@pytest.fixture(autouse=True)
def no_window_left_open():
    """A window a failed test leaves open would take the next test's clicks (each opens at the same place)."""
    yield
    found = subprocess.run(["xdotool", "search", "--name", "^Vandrel$"], capture_output=True, text=True)
    for window in found.stdout.split():
        subprocess.run(["xdotool", "windowkill", window], capture_output=True)


def no_window_shown() -> bool:
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vandrel$"],
                          capture_output=True).returncode != 0


@pytest.fixture
def clean_desktop():
    """The desktop's Vandrel.lnk in the test prefix: none before the test, none left after it."""
    link = next((Path(os.environ["WINEPREFIX"]) / "drive_c/users").glob("*/Desktop")) / "Vandrel.lnk"
    link.unlink(missing_ok=True)
    yield link
    link.unlink(missing_ok=True)


def wine_path(path: Path) -> str:
    """The Windows form of a Linux path as Wine shows it to programs (drive Z:)."""
    return "Z:" + str(path).replace("/", "\\")


def publicar(*args) -> None:
    subprocess.run([PYTHON, str(TOOLS / "publicar.py"), *map(str, args)], check=True, stdout=subprocess.DEVNULL)


class UpdateSite:
    """The test update server on 127.0.0.1, serving a folder; sites are published into it with publicar.py."""

    def __init__(self, root: Path):
        self.root = root
        root.mkdir(parents=True, exist_ok=True)
        port_file = root.parent / "ports.json"
        self.process = subprocess.Popen(
            [PYTHON, str(TOOLS / "update_server.py"), "--root", str(root), "--port-file", str(port_file),
             "--max-seconds", "900"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(port_file.exists, 10, "the update server")
        self.port = json.loads(port_file.read_text())["http"]
        self.base = f"http://127.0.0.1:{self.port}"

    def control(self, query: str) -> dict:
        with urllib.request.urlopen(f"{self.base}/__control/{query}", timeout=10) as answer:
            return json.loads(answer.read())

    def request_counts(self) -> dict:
        return self.control("log")["counts"]

    def publish_game(self, name: str, client: Path, version: str, *extra) -> str:
        """Publishes a client folder as a site under /name; returns the site's address."""
        publicar("juego", "--cliente", client, "--version", version, "--sitio", self.root / name, *extra)
        return f"{self.base}/{name}"

    def publish_launcher(self, name: str, exe: Path, *extra) -> None:
        publicar("launcher", "--exe", exe, "--sitio", self.root / name, "--url-base", f"{self.base}/{name}", *extra)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


@pytest.fixture(scope="module")
def site(tmp_path_factory):
    server = UpdateSite(tmp_path_factory.mktemp("site") / "www")
    yield server
    server.stop()
