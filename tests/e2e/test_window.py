"""The real window of launcher.exe under a virtual screen, driven by xdotool clicks at the places where
the window's layout puts the controls (design pixels at 96 DPI), against the test update site.
Screenshots of every state passed through go to build/screens/window-*.png for people to look at."""
import hashlib
import re
import shutil
import subprocess
import sys
import time

from conftest import GameFolder, ROOT, WIN_BUILD, make_client

sys.path.insert(0, str(ROOT / "tools"))
from xwindow import (CANCEL, CLOSE, FULLSCREEN, LANGUAGE, LANGUAGE_ROW, MAIN, MUSIC, PLAY_UNCHECKED,  # noqa: E402
                     RESOLUTION, SAVE, SETTINGS, SHADOWS, WINDOWED, LauncherWindow, controls, wait_for)

SHOTS = ROOT / "build" / "screens"
STANDIN = (WIN_BUILD / "qarlokclient.exe").read_bytes()
V1 = {"qarlokclient.exe": STANDIN, "data/mapa.pak": b"1" * 5000, "leeme.txt": b"uno\r\n"}
V2 = {"qarlokclient.exe": STANDIN, "data/mapa.pak": b"2" * 5000, "musica/tema.ogg": b"o" * 3000}
SUMMARY = re.compile(r"^Verificacion \w+: \d+ archivos en manifest, (\d+) faltantes")
STATUS_AREA = (560, 516, 365, 16)  # the players-online line and its dot, below the main button's glow


def logged(game, line):
    return line in game.log_lines()


def pending_after_check(game):
    """The pending count of the last verification summary, once one is logged."""
    found = [SUMMARY.match(line) for line in game.log_lines()]
    found = [int(m.group(1)) for m in found if m]
    return found[-1] if found else None


def behind(site, tmp_path, name, v2=V2, web=None, launcher=None):
    """A game folder holding version 1.0.0 of a site that publishes 2.0.0."""
    url = site.publish_game(name, make_client(tmp_path / "v1", V1), "1.0.0")
    site.publish_game(name, make_client(tmp_path / "v2", v2), "2.0.0")
    extra = ["--web", web] if web else []
    subprocess.run([sys.executable, str(ROOT / "tools/publicar.py"), "launcher", "--exe",
                    str(launcher or WIN_BUILD / "launcher.exe"), "--sitio", str(site.root / name), "--url-base", url,
                    *extra], check=True, stdout=subprocess.DEVNULL)
    game = GameFolder(tmp_path / "game")
    shutil.copytree(tmp_path / "v1", game.path, dirs_exist_ok=True)
    (game.path / "version.txt").write_bytes(b"1.0.0")
    game.write_ini(url)
    return game


def settle():
    # The check's result reaches the window right after its log line; give it a moment to paint.
    time.sleep(1.5)


def test_update_then_play_with_players_online(site, tmp_path):
    web = f"{site.base}/players/web"
    game = behind(site, tmp_path, "players", web=web)
    (site.root / "players/web").mkdir()
    (site.root / "players/web/estado.php").write_text('{"online": 1234}')
    site.control("rule?path=/players/web/estado.php&mode=stall&seconds=15&times=1")
    main = controls("es", "web").centre(MAIN)
    w = LauncherWindow(game.path, shots=SHOTS)
    assert wait_for(lambda: pending_after_check(game), what="files to update") == 2
    settle()
    not_yet = w.pixels(*STATUS_AREA)
    w.shot("update-available")
    w.click(*main)
    wait_for(lambda: logged(game, "Actualizado a la version 2.0.0"), what="the update")
    wait_for(lambda: w.pixels(*STATUS_AREA) != not_yet, what="the players-online figure on screen")
    w.shot("ready-with-players-online")
    paths = [r["path"] for r in site.control("log")["requests"]]
    first_store = min(i for i, p in enumerate(paths) if "/archivos/" in p)
    assert paths.index("/players/launcher/launcher.json") < paths.index("/players/web/estado.php") < first_store, \
        "the first status request must follow launcher.json at once, not the 60 s timer"
    w.click(*main)
    assert w.wait() == 0
    wait_for(lambda: len(game.client_starts()) == 1, what="the client started by the window")
    assert (game.path / "version.txt").read_bytes() == b"2.0.0"
    assert game.run("/verificar").returncode == 0 and pending_after_check(game) == 0


def test_settings_panel_offline_then_play_without_checking(tmp_path):
    game = GameFolder(tmp_path / "game")
    game.add_client()
    game.write_ini("http://127.0.0.1:9")  # nothing listens there
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
    w.wheel(*panel.below(RESOLUTION, 0))  # two modes: nothing to scroll
    w.shot("resolution-list")
    w.click(*panel.below(RESOLUTION, 1))  # second row: 1920 x 1080
    w.click(*panel.centre(SAVE))
    saved = dict(line.split(None, 1) for line in cfg.read_text().splitlines() if " " in line or "\t" in line)
    assert {k: saved[k].strip() for k in ("WIDTH", "HEIGHT", "BPP", "WINDOWED", "MUSIC_VOLUME", "SHADOW_LEVEL",
                                          "MI_CLAVE")} == {"WIDTH": "1920", "HEIGHT": "1080", "BPP": "32",
                                                           "WINDOWED": "0", "MUSIC_VOLUME": "0.500",
                                                           "SHADOW_LEVEL": "1", "MI_CLAVE": "7"}
    assert logged(game, "qarlok.cfg guardado: 1920x1080 completa musica 0.50 voces 3 gamma 3 sombras 1 dist 3")
    assert w.pixels(180, 18, 600, 504) != first_frame, "/config must show the panel in the first frame"

    before = cfg.read_bytes()
    w.click(*controls("es").centre(SETTINGS))
    w.click(*panel.centre(WINDOWED))
    w.click(*panel.centre(CANCEL))
    assert cfg.read_bytes() == before, "cancel must not write"

    # The language list over the panel, turned to its end: Russian, then Arabic from the list in Russian.
    w.click(*controls("es").centre(SETTINGS))
    spanish = w.pixels(216, 88, 150, 316)
    w.click(*panel.centre(LANGUAGE))
    w.wheel(*controls("es", "panel", "list").centre(LANGUAGE_ROW + 4), turns=9)
    w.click(*controls("es", "panel", "list", *["wheel"] * 9).centre(LANGUAGE_ROW + 14))
    assert (game.path / "locale.cfg").read_bytes() == b"10002 1251 ru\r\n"
    assert w.pixels(216, 88, 150, 316) != spanish, "the panel's labels must redraw in Russian at once"
    w.shot("panel-ru")
    w.click(*controls("ru", "panel").centre(LANGUAGE))
    w.shot("language-list-ru")
    w.click(*controls("ru", "panel", "list").centre(LANGUAGE_ROW + 15))
    assert (game.path / "locale.cfg").read_bytes() == b"10002 1256 ae\r\n"
    w.shot("panel-ae")

    (game.path / "qarlokclient_stay.txt").write_text("120")
    client = subprocess.Popen(["wine", str(game.path / "qarlokclient.exe")], cwd=game.path,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: game.client_starts(), what="the stand-in client")
        w.click(*panel.centre(WINDOWED))  # saved while the game runs
        w.click(*panel.centre(SAVE))
        wait_for(lambda: logged(game, "AVISO: el juego esta abierto; al cerrarlo pisara qarlok.cfg"), what="warning")
        assert "WINDOWED\t\t\t\t1" in cfg.read_text().splitlines()
    finally:
        client.kill()
        client.wait()
    (game.path / "qarlokclient_stay.txt").unlink()

    before = cfg.read_bytes()
    (game.path / "qarlok.cfg.tmp").mkdir()  # the temporary file cannot be created
    w.click(*controls("ae").centre(SETTINGS))
    w.click(*panel.centre(FULLSCREEN))
    w.click(*panel.centre(SAVE))
    assert any(re.fullmatch(r"No se pudo escribir qarlok\.cfg \(error \d+\)", line) for line in game.log_lines())
    assert cfg.read_bytes() == before, "a failed save must leave the player's file as it was"
    (game.path / "qarlok.cfg.tmp").rmdir()

    wait_for(lambda: logged(game, "Verificacion: ERROR al conectar con el servidor"), what="the failed check")
    settle()
    w.click(*controls("ae").centre(MAIN))  # retry: the check runs and fails again
    w.shot("checking-ae")
    wait_for(lambda: game.log_lines().count("Verificacion: ERROR al conectar con el servidor") == 2, what="retry")
    settle()
    w.shot("check-failed-ae")
    w.click(*controls("ae").centre(PLAY_UNCHECKED))
    assert w.wait() == 0
    assert logged(game, "Jugar sin comprobar (no habia conexion con el servidor de actualizaciones)")
    wait_for(lambda: len(game.client_starts()) == 2, what="the client started by the window")


def test_self_update_restarts_into_the_new_build(site, tmp_path):
    newer = tmp_path / "newer.exe"
    newer.write_bytes((WIN_BUILD / "launcher.exe").read_bytes() + b"\0another build")
    game = behind(site, tmp_path, "restart", launcher=newer)
    first = LauncherWindow(game.path, shots=SHOTS)
    assert first.wait() == 0, "the old launcher ends once the new one is started"
    wait_for(lambda: any(line.startswith("Borrado el launcher anterior") for line in game.log_lines()),
             what="the new process removing .viejo")
    assert (game.path / "launcher.exe").read_bytes() == newer.read_bytes()
    assert not (game.path / "launcher.exe.viejo").exists()
    assert logged(game, "Launcher nuevo instalado y arrancado")
    first.window = LauncherWindow.find()
    first.click(*controls("es").centre(CLOSE))  # the new window's close button
    wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vandrel$"],
                                    capture_output=True).returncode != 0, what="the new window to close")


def test_close_during_download_leaves_files_pending(site, tmp_path):
    big = bytes(range(256)) * 4096
    store = hashlib.sha256(big).hexdigest()
    game = behind(site, tmp_path, "closing", v2={**V2, "data/grande.pak": big})
    site.control(f"rule?path=/closing/archivos/{store[:2]}/{store}&mode=stall_body&seconds=120")
    w = LauncherWindow(game.path, shots=SHOTS)
    assert wait_for(lambda: pending_after_check(game), what="files to update") == 3
    settle()
    w.click(*controls("es").centre(MAIN))
    wait_for(lambda: site.request_counts().get(f"/closing/archivos/{store[:2]}/{store}"), what="the big download")
    w.shot("downloading")
    w.click(*controls("es").centre(CLOSE))
    assert w.wait(timeout=30) == 0, "closing during a download ends the launcher at once"
    game.run("/verificar")
    assert pending_after_check(game) > 0
