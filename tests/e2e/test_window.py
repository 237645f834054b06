"""The real window of launcher.exe under a virtual screen, driven by xdotool clicks at the places where
the window's layout puts the controls (design pixels at 96 DPI), against the test update site.
Screenshots of every state passed through go to build/screens/window-*.png for people to look at."""
import hashlib
import re
import subprocess
import time

from conftest import ROOT, WIN_BUILD, GameFolder, make_client, wait_for
from xwindow import (CLOSE, FULLSCREEN, LANGUAGE, LANGUAGE_ROW, MAIN, MUSIC, PLAY_UNCHECKED, RESOLUTION, SAVE,
                     SETTINGS, SHADOWS, WINDOWED, LauncherWindow, controls)

SHOTS = ROOT / "build" / "screens"
STANDIN = (WIN_BUILD / "qarlokclient.exe").read_bytes()
V1 = {"qarlokclient.exe": STANDIN, "data/mapa.pak": b"1" * 5000, "leeme.txt": b"uno\r\n"}
V2 = {"qarlokclient.exe": STANDIN, "data/mapa.pak": b"2" * 5000, "musica/tema.ogg": b"o" * 3000}
SUMMARY = re.compile(r"^Verificacion \w+: \d+ archivos en manifest, (\d+) faltantes")
STATUS_AREA = (560, 516, 365, 16)  # the players-online line and its dot, below the main button's glow
PAINTED = 1.5  # seconds for the window to paint what a worker reported, after its log line
CHECK_FAILED = "Verificacion: ERROR al conectar con el servidor"
SAVED = {"WIDTH": "1920", "HEIGHT": "1080", "BPP": "32", "WINDOWED": "0", "MUSIC_VOLUME": "0.500", "SHADOW_LEVEL": "1",
         "MI_CLAVE": "7"}  # after the clicks below, the player's own key kept


def pending_after_check(game):  # the pending count of the last verification summary, once one is logged
    found = [int(m[1]) for m in map(SUMMARY.match, game.log_lines()) if m]
    return found[-1] if found else None


def test_close_during_an_update_then_update_and_play_with_players_online(site, tmp_path):
    big = bytes(range(256)) * 4096  # downloaded first, and held back the first time
    store = f"/players/archivos/{hashlib.sha256(big).hexdigest()[:2]}/{hashlib.sha256(big).hexdigest()}"
    url = site.publish_game("players", make_client(tmp_path / "v1", V1), "1.0.0")
    site.publish_game("players", make_client(tmp_path / "v2", {**V2, "data/grande.pak": big}), "2.0.0")
    site.publish_launcher("players", WIN_BUILD / "launcher.exe", "--web", f"{site.base}/players/web")
    game = GameFolder(tmp_path / "game", files=V1, url=url, version=b"1.0.0")
    make_client(site.root / "players/web", {"estado.php": b'{"online": 1234}'})
    at = controls("es", "web")
    site.control(f"rule?path={store}&mode=stall_body&seconds=120&times=1")
    w = LauncherWindow(game.path, shots=SHOTS)
    assert wait_for(lambda: pending_after_check(game), what="files to update") == 3
    time.sleep(PAINTED)
    w.click(*at.centre(MAIN))
    wait_for(lambda: site.request_counts().get(store), what="the big download")
    w.shot("downloading")
    w.click(*at.centre(CLOSE))
    assert w.wait(timeout=30) == 0, "closing during a download ends the launcher at once"
    assert (game.path / "version.txt").read_bytes() == b"1.0.0" and not (game.path / "data/grande.pak").exists()

    site.control("clear_log")
    site.control("rule?path=/players/web/estado.php&mode=stall&seconds=15&times=1")
    w = LauncherWindow(game.path, shots=SHOTS)
    assert wait_for(lambda: pending_after_check(game), what="files to update") == 3
    time.sleep(PAINTED)
    not_yet = w.pixels(*STATUS_AREA)
    w.shot("update-available")
    w.click(*at.centre(MAIN))
    wait_for(lambda: "Actualizado a la version 2.0.0" in game.log_lines(), what="the update")
    wait_for(lambda: w.pixels(*STATUS_AREA) != not_yet, what="the players-online figure on screen")
    w.shot("ready-with-players-online")
    paths = [r["path"] for r in site.control("log")["requests"]]
    first_store = min(i for i, p in enumerate(paths) if "/archivos/" in p)
    assert paths.index("/players/launcher/launcher.json") < paths.index("/players/web/estado.php") < first_store, \
        "the first status request must follow launcher.json at once, not the 60 s timer"
    w.click(*at.centre(MAIN))
    wait_for(lambda: len(game.client_starts()) == 1, what="the client started by the window")
    assert w.wait() == 0
    assert (game.path / "version.txt").read_bytes() == b"2.0.0"
    assert game.run("/verificar").returncode == 0 and pending_after_check(game) == 0


def test_settings_panel_offline_then_play_without_checking(tmp_path):
    game = GameFolder(tmp_path / "game", files={"qarlokclient.exe": STANDIN, "locale.cfg": b"7 1252 es\r\n"},
                      url="http://127.0.0.1:9")  # no site
    cfg = game.path / "qarlok.cfg"
    cfg.write_bytes(b"WIDTH 1024\r\nHEIGHT 768\r\nMI_CLAVE 7\r\nMUSIC_VOLUME 0.300\r\nSHADOW_LEVEL 3\r\n")
    panel = controls("es", "panel")    # the panel's controls stand where they are in every language
    w = LauncherWindow(game.path, "/config", shots=SHOTS)
    first_frame = w.pixels(180, 18, 600, 504)
    w.shot("panel-first-frame")

    w.click(*panel.centre(FULLSCREEN))
    w.drag(*panel.track(MUSIC, 0.3), *panel.track(MUSIC, 0.5))
    w.drag(*panel.track(SHADOWS, 0.6), *panel.track(SHADOWS, 0.2))  # shadows from 3 down to 1
    w.click(*panel.centre(RESOLUTION))
    w.shot("resolution-list")
    w.click(*panel.below(RESOLUTION, 1))  # second row: 1920 x 1080
    w.click(*panel.centre(SAVE))
    saved = dict(line.split(None, 1) for line in cfg.read_text().splitlines() if len(line.split()) == 2)
    assert {key: saved[key].strip() for key in SAVED} == SAVED, "each click must reach its setting"
    assert "qarlok.cfg guardado: 1920x1080 completa musica 0.50 voces 3 gamma 3 sombras 1 dist 3" in game.log_lines()
    assert w.pixels(180, 18, 600, 504) != first_frame, "/config must show the panel in the first frame"

    # The language list over the panel, turned to its end: Russian.
    w.click(*controls("es").centre(SETTINGS))
    spanish = w.pixels(216, 88, 150, 316)
    w.click(*panel.centre(LANGUAGE))
    w.wheel(*controls("es", "panel", "list").centre(LANGUAGE_ROW + 4), turns=9)
    w.click(*controls("es", "panel", "list", *["wheel"] * 9).centre(LANGUAGE_ROW + 14))
    assert (game.path / "locale.cfg").read_bytes() == b"7 1251 ru\r\n", "the client's first number is kept"
    assert "Idioma cambiado a ru (codepage 1251)" in game.log_lines()
    assert w.pixels(216, 88, 150, 316) != spanish, "the panel's labels must redraw in Russian at once"
    w.shot("panel-ru")

    # A running client is known by its file name alone, in any letter case and folder; it stays open 120 s.
    other = make_client(tmp_path / "other", {"QarlokClient.EXE": STANDIN, "qarlokclient_stay.txt": b"120"})
    client = subprocess.Popen(["wine", str(other / "QarlokClient.EXE")], cwd=other, stderr=subprocess.DEVNULL)
    wait_for((other / "qarlokclient_started.txt").exists, what="the stand-in client")
    w.click(*panel.centre(WINDOWED))
    w.click(*panel.centre(SAVE))
    client.kill()
    assert "AVISO: el juego esta abierto; al cerrarlo pisara qarlok.cfg" in game.log_lines(), \
        "a running client, whatever its folder and letter case, is warned about"
    assert "WINDOWED\t\t\t\t1" in cfg.read_text().splitlines(), "saved all the same"

    wait_for(lambda: CHECK_FAILED in game.log_lines(), what="the failed check")
    time.sleep(PAINTED)
    w.click(*controls("ru").centre(MAIN))  # retry: the check runs and fails again
    w.shot("checking-ru")
    wait_for(lambda: game.log_lines().count(CHECK_FAILED) == 2, what="the retried check")
    time.sleep(PAINTED)
    w.shot("check-failed-ru")
    w.click(*controls("ru").centre(PLAY_UNCHECKED))
    wait_for(lambda: len(game.client_starts()) == 1, what="the client started by playing without checking")
    assert w.wait() == 0
    assert "Jugar sin comprobar (no habia conexion con el servidor de actualizaciones)" in game.log_lines()
