"""Drives the launcher's window as a player would: launcher.exe under Wine on an X display, found,
clicked, dragged and photographed with xdotool and ImageMagick. Used by the end-to-end tests and
the demo. Points are given in the window's design pixels (960 x 540 at 96 DPI); where the controls
are comes from the window's own layout (controls())."""
import functools
import os
import subprocess
import tempfile
import time
from pathlib import Path

SCREENS = Path(os.environ.get("VANDREL_WIN_BUILD", Path(__file__).resolve().parents[1] / "build" / "win")) / "screens.exe"
# Control ids, as the window numbers them; a language row is LANGUAGE_ROW + its index in the language table.
SETTINGS, MINIMIZE, CLOSE, MAIN, PLAY_UNCHECKED, LANGUAGE, RESOLUTION = 1, 4, 5, 6, 7, 8, 10
WINDOWED, FULLSCREEN, MUSIC, SHADOWS, CANCEL, SAVE, LANGUAGE_ROW = 11, 12, 13, 16, 22, 23, 200


def _run(*args: str, timeout: float = 30) -> str:
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=timeout).stdout


class LauncherWindow:
    """launcher.exe started in its folder; its window is looked for once it shows."""

    def __init__(self, folder: Path, *args: str, shots: Path | None = None, cwd: Path | None = None):
        self.folder = folder
        self.shots = shots
        self._out = tempfile.TemporaryFile()
        # Output goes to a file: Wine services started on the way would keep a pipe open.
        self.process = subprocess.Popen(["wine", str(folder / "launcher.exe"), *args], cwd=cwd or folder,
                                        stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._out)
        self.window = self.find()

    @staticmethod
    def find(timeout: float = 60) -> str:
        """The id of the visible window titled "Vandrel" (the newest when there are several)."""
        ids = _run("xdotool", "search", "--sync", "--onlyvisible", "--name", "^Vandrel$", timeout=timeout).split()
        return ids[-1]

    def origin(self) -> tuple[int, int]:
        geometry = dict(line.split("=", 1) for line in _run("xdotool", "getwindowgeometry", "--shell",
                                                            self.window).split())
        return int(geometry["X"]), int(geometry["Y"])

    def _move(self, x: float, y: float) -> None:
        left, top = self.origin()
        _run("xdotool", "mousemove", str(left + round(x)), str(top + round(y)))

    def idle(self, bound: float = 5) -> None:
        """Waits until the window has handled its input: the picture stays the same for a moment. A window
        that keeps changing (a download's progress) is left after the bound."""
        deadline = time.time() + bound
        last = self._picture()
        while time.time() < deadline:
            time.sleep(0.15)
            now = self._picture()
            if now == last:
                return
            last = now

    def _picture(self) -> bytes:
        if self.gone():
            return b""
        try:
            return self.pixels()
        except subprocess.CalledProcessError:  # the window went away meanwhile
            return b""

    def click(self, x: float, y: float) -> None:
        self._move(x, y)
        _run("xdotool", "click", "1")
        self.idle()

    def drag(self, x0: float, y0: float, x1: float, y1: float) -> None:
        self._move(x0, y0)
        _run("xdotool", "mousedown", "1")
        self._move((x0 + x1) / 2, y1)
        self._move(x1, y1)
        _run("xdotool", "mouseup", "1")
        self.idle()

    def wheel(self, x: float, y: float, turns: int = 1) -> None:
        """Turns the wheel down (towards the user) over a point."""
        self._move(x, y)
        _run("xdotool", "click", "--repeat", str(turns), "--delay", "50", "5")
        self.idle()

    def pixels(self, left: int = 0, top: int = 0, width: int = 960, height: int = 540) -> bytes:
        """Raw RGB bytes of a part of the window as it is on screen."""
        x, y = self.origin()
        return subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x + left}+{y + top}",
                               "rgb:-"], check=True, capture_output=True, timeout=30).stdout

    def shot(self, name: str) -> Path:
        """Saves the window as shots/window-name.png for people to look at."""
        self.shots.mkdir(parents=True, exist_ok=True)
        path = self.shots / f"window-{name}.png"
        x, y = self.origin()
        _run("import", "-window", "root", "-crop", f"960x540+{x}+{y}", "+repage", str(path))
        return path

    def wait(self, timeout: float = 60) -> int:
        """The exit code once the launcher has ended."""
        return self.process.wait(timeout=timeout)

    def gone(self) -> bool:
        return self.process.poll() is not None


def wait_for(condition, timeout: float = 90, what: str = "condition"):
    """Polls until condition() gives a true value and returns it; fails after the time-out."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError(f"timed out waiting for {what}")


class Controls(dict):
    """Control id -> (left, top, width, height) of its hit region, in design pixels."""

    def centre(self, control: int) -> tuple[float, float]:
        left, top, width, height = self[control]
        return left + width / 2, top + height / 2

    def track(self, slider: int, fraction: float) -> tuple[float, float]:
        """The point of a slider's track at a fraction of its length (the region less 8 on each side)."""
        left, top, width, height = self[slider]
        return left + 8 + fraction * (width - 16), top + height / 2

    def below(self, box: int, row: int) -> tuple[float, float]:
        """The centre of a row of the list that opens under a box: rows of 28 from 4 below it."""
        left, top, width, height = self[box]
        return left + width / 2, top + height + 4 + 28 * row + 14


@functools.lru_cache(maxsize=None)
def controls(language: str = "es", *state: str) -> Controls:
    """Where the window puts its controls in a language and state ("web", "discord", "panel", "list",
    "wheel"...: see screens.exe --regions), laid out with the real font as the window lays them out."""
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", str(SCREENS), "--regions", language, *state], stdin=subprocess.DEVNULL, stdout=out,
                       stderr=subprocess.DEVNULL, check=True, timeout=120)
        out.seek(0)
        rows = [line.split() for line in out.read().decode().splitlines()]
    return Controls({int(row[0]): tuple(float(v) for v in row[1:]) for row in rows if len(row) == 5})
