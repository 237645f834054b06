"""Fixtures for end-to-end tests: the real launcher.exe under Wine in a scratch game folder."""
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
WIN_BUILD = Path(os.environ.get("VANDREL_WIN_BUILD", ROOT / "build" / "win"))


class GameFolder:
    """A game installation folder holding a copy of launcher.exe."""

    def __init__(self, path: Path):
        self.path = path
        path.mkdir(parents=True, exist_ok=True)
        shutil.copy2(WIN_BUILD / "launcher.exe", path / "launcher.exe")

    def add_client(self, stay_seconds: int = 0) -> None:
        shutil.copy2(WIN_BUILD / "qarlokclient.exe", self.path / "qarlokclient.exe")
        if stay_seconds:
            (self.path / "qarlokclient_stay.txt").write_text(str(stay_seconds))

    def run(self, *args: str, cwd: Path | None = None, timeout: float = 120) -> subprocess.CompletedProcess:
        """Runs launcher.exe with the arguments; returns the finished process (exit code in returncode)."""
        # Output goes through files, not pipes: Wine services started on the way inherit the
        # handles and would keep a pipe open long after the launcher has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run(["wine", str(self.path / "launcher.exe"), *args], cwd=cwd or self.path,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            result.stdout, result.stderr = out.read(), err.read()
        return result

    def log_lines(self) -> list[str]:
        log = self.path / "launcher_log.txt"
        if not log.exists():
            return []
        return [line.split("] ", 1)[1] for line in log.read_bytes().decode("cp1252").split("\r\n") if line]

    def client_starts(self) -> list[str]:
        record = self.path / "qarlokclient_started.txt"
        return record.read_text(encoding="cp1252").splitlines() if record.exists() else []


@pytest.fixture
def game(tmp_path) -> GameFolder:
    return GameFolder(tmp_path / "game")


def wine_path(path: Path) -> str:
    """The Windows form of a Linux path as Wine shows it to programs (drive Z:)."""
    return "Z:" + str(path).replace("/", "\\")
