"""Fixtures for end-to-end tests: the real launcher.exe under Wine in a scratch game folder."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
WIN_BUILD = Path(os.environ.get("VANDREL_WIN_BUILD", ROOT / "build" / "win"))


class GameFolder:
    """A game installation folder holding a copy of launcher.exe (or of another build of it, named by exe)."""

    def __init__(self, path: Path, exe: str = "launcher.exe"):
        self.path = path
        path.mkdir(parents=True, exist_ok=True)
        shutil.copy2(WIN_BUILD / exe, path / "launcher.exe")

    def add_client(self, stay_seconds: int = 0) -> None:
        shutil.copy2(WIN_BUILD / "qarlokclient.exe", self.path / "qarlokclient.exe")
        if stay_seconds:
            (self.path / "qarlokclient_stay.txt").write_text(str(stay_seconds))

    def run(self, *args: str, cwd: Path | None = None, timeout: float = 120,
            wrap: tuple = ()) -> subprocess.CompletedProcess:
        """Runs launcher.exe with the arguments, under the command prefix `wrap` if any; returns the finished
        process (exit code in returncode)."""
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

    def write_ini(self, url: str) -> None:
        (self.path / "actualizador.ini").write_bytes(f"url={url}\r\n".encode())

    def log_lines(self) -> list[str]:
        log = self.path / "launcher_log.txt"
        if not log.exists():
            return []
        # The launcher's code page is UTF-8 (its manifest says so).
        return [line.split("] ", 1)[1] for line in log.read_bytes().decode("utf-8").split("\r\n") if line]

    def client_starts(self) -> list[str]:
        record = self.path / "qarlokclient_started.txt"
        return record.read_text(encoding="utf-8").splitlines() if record.exists() else []


@pytest.fixture
def game(tmp_path) -> GameFolder:
    return GameFolder(tmp_path / "game")


@pytest.fixture(autouse=True)
def no_window_left_open():
    """A launcher window that a failed test leaves open would take the next test's clicks (every window
    opens at the same place), so whatever is left is closed by force."""
    yield
    found = subprocess.run(["xdotool", "search", "--name", "^Vandrel$"], capture_output=True, text=True)
    for window in found.stdout.split():
        subprocess.run(["xdotool", "windowkill", window], capture_output=True)


def wait_for(condition, seconds: float = 60):
    """Polls until condition() is true; fails after the given number of seconds."""
    deadline = time.time() + seconds
    while not condition():
        assert time.time() < deadline, "gave up waiting"
        time.sleep(0.1)


def desktop() -> Path:
    users = Path(os.environ["WINEPREFIX"]) / "drive_c" / "users"
    return next(users.glob("*/Desktop"))


@pytest.fixture
def clean_desktop():
    """Sets any existing Vandrel.lnk aside and puts it back afterwards."""
    link = desktop() / "Vandrel.lnk"
    kept = link.read_bytes() if link.exists() else None
    link.unlink(missing_ok=True)
    yield link
    link.unlink(missing_ok=True)
    if kept is not None:
        link.write_bytes(kept)


def wine_path(path: Path) -> str:
    """The Windows form of a Linux path as Wine shows it to programs (drive Z:)."""
    return "Z:" + str(path).replace("/", "\\")


TOOLS = ROOT / "tools"
PYTHON = sys.executable


class UpdateSite:
    """The test update server on 127.0.0.1, serving a folder; sites are published into it with publicar.py."""

    def __init__(self, root: Path):
        self.root = root
        root.mkdir(parents=True, exist_ok=True)
        port_file = root.parent / "ports.json"
        self.process = subprocess.Popen(
            [PYTHON, str(TOOLS / "update_server.py"), "--root", str(root), "--port-file", str(port_file),
             "--max-seconds", "900"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not port_file.exists() and time.time() < deadline:
            time.sleep(0.05)
        self.port = json.loads(port_file.read_text())["http"]
        self.base = f"http://127.0.0.1:{self.port}"

    def control(self, query: str) -> dict:
        with urllib.request.urlopen(f"{self.base}/__control/{query}", timeout=10) as answer:
            return json.loads(answer.read())

    def request_counts(self) -> dict:
        return self.control("log")["counts"]

    def publish_game(self, name: str, client: Path, version: str, *extra: str) -> str:
        """Publishes a client folder as a site under /name; returns the site's address."""
        subprocess.run([PYTHON, str(TOOLS / "publicar.py"), "juego", "--cliente", str(client), "--version", version,
                        "--sitio", str(self.root / name), *extra], check=True, stdout=subprocess.DEVNULL)
        return f"{self.base}/{name}"

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


@pytest.fixture(scope="module")
def site(tmp_path_factory):
    server = UpdateSite(tmp_path_factory.mktemp("site") / "www")
    yield server
    server.stop()


def make_client(folder: Path, files: dict[str, bytes]) -> Path:
    """Writes a game client tree: relative path with "/" -> content."""
    for name, content in files.items():
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
    return folder
