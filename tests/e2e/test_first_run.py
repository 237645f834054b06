"""A first windowed start in an empty folder: the client's files, the marker and the desktop shortcut."""
import sys

from conftest import ROOT, wine_path

sys.path.insert(0, str(ROOT / "tools"))
from xwindow import CLOSE, LauncherWindow, controls  # noqa: E402

FIRST_RUN_LINES = ("locale.cfg no existia: creado en espanol", "Acceso directo creado en el escritorio")


def start_and_close(game) -> None:
    """A windowed start: the first-run tasks are done before the window shows; its close button ends it."""
    window = LauncherWindow(game.path)
    window.click(*controls("es").centre(CLOSE))
    assert window.wait() == 0


def test_first_start_in_an_empty_folder(game, clean_desktop):
    game.write_ini("http://127.0.0.1:9")  # nothing listens: the window's check fails at once
    start_and_close(game)
    assert (game.path / "locale.cfg").read_bytes() == b"10002 1252 es\r\n"
    settings = (game.path / "qarlok.cfg").read_bytes().decode()
    assert "WIDTH\t" in settings and "HEIGHT\t" in settings
    assert (game.path / "acceso-directo.hecho").read_bytes() == (
        b"El acceso directo del escritorio ya se intento una vez.\r\n"
        b"Borra este fichero si quieres que el launcher vuelva a crearlo.\r\n")
    link = clean_desktop.read_bytes()
    assert link[:4] == b"\x4c\x00\x00\x00", "a shell link"
    assert wine_path(game.path / "launcher.exe").lower().encode() in link.lower()
    assert all(line in game.log_lines() for line in FIRST_RUN_LINES)

    # A second start changes nothing and logs nothing of these tasks.
    before = {p.name: p.stat().st_mtime_ns for p in game.path.iterdir()}
    clean_desktop.unlink()
    (game.path / "launcher_log.txt").unlink()
    start_and_close(game)
    assert not clean_desktop.exists(), "a shortcut the player deleted is not brought back"
    after = {p.name: p.stat().st_mtime_ns for p in game.path.iterdir() if p.name != "launcher_log.txt"}
    assert after == {k: v for k, v in before.items() if k != "launcher_log.txt"}
    assert not [line for line in game.log_lines() if line.startswith(FIRST_RUN_LINES + ("qarlok.cfg no existia",))]
