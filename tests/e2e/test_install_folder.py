"""A first start in installation folders that the system code page cannot name or deeper than MAX_PATH, started
from another folder: the first-run files, the shortcut, a second start, /actualizar and the test mode (/test,
/prueba: 0 the client started, 1 the shell refused it, 2 it is missing) all stay in the installation folder."""
import re

import pytest

from conftest import WIN_BUILD, GameFolder, make_client, wait_for, wine_path
from xwindow import CLOSE, LauncherWindow, controls

CLIENT = {"data/mapa.pak": b"m" * 500, "leeme.txt": b"hola\r\n"}
FOLDERS = {"cyrillic": "Игры/Вандрел", "deep": "/".join(f"carpeta_de_juegos_{i:02d}" for i in range(14))}  # > 260
LOGGED = ("locale.cfg no existia: creado en espanol", "Acceso directo creado en el escritorio",
          "Ya hay un launcher abierto en esta carpeta; se trae al frente",
          "Actualizacion: la instalacion coincide con la version 1.0.0",
          "qarlok.cfg no existia: creado (1024x768 en ventana, musica 30%, voces 3/5)")  # on a 1080-pixel screen
# qarlokclient.exe put beside launcher.exe (None: none), switch, exit code, the log's last line
TEST_MODE = [(None, "/test", 2, r"RESULTADO: qarlokclient\.exe NO existe \(error 2\)"),
             (b"not a program\r\n", "/test", 1, r"RESULTADO: ShellExecute FALLO con codigo ([0-9]|[12][0-9]|3[0-2])"),
             ((WIN_BUILD / "qarlokclient.exe").read_bytes(), "/prueba", 0, r"RESULTADO: ShellExecute OK")]


@pytest.mark.parametrize("name", FOLDERS)
def test_everything_lands_in_the_installation_folder(site, tmp_path, name, clean_desktop):
    url = site.publish_game(name, make_client(tmp_path / "client", CLIENT), "1.0.0")
    game = GameFolder(tmp_path / FOLDERS[name], url=url)
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()

    window = LauncherWindow(game.path, cwd=elsewhere)  # the first-run tasks come before the window
    assert game.run(cwd=elsewhere).returncode == 0, "a second start brings the open window forward and ends"
    window.click(*controls("es").centre(CLOSE))
    assert window.wait() == 0
    first_run = ("locale.cfg", "qarlok.cfg", "acceso-directo.hecho")
    assert [name for name in first_run if not (game.path / name).exists()] == [], "first-run files in the game folder"
    assert (game.path / "locale.cfg").read_bytes() == b"10002 1252 es\r\n", "a first start writes locale.cfg"
    assert (game.path / "qarlok.cfg").read_bytes().startswith(b"WIDTH\t"), "and qarlok.cfg with the defaults"
    assert (game.path / "acceso-directo.hecho").exists(), "and the marker that stops a second shortcut"
    link = clean_desktop.read_bytes()  # its texts in UTF-16, each ending in a NUL character
    for text, rule in ((wine_path(game.path / "launcher.exe"), "the shortcut starts the launcher"),
                       (wine_path(game.path), "it works in the game folder, named without a final backslash"),
                       ("Vandrel - Qarlok", "its description")):
        assert (text + "\0").encode("utf-16-le") in link, rule

    # The player's own files at the next start: nothing replaced, the shortcut tried once per installation.
    (game.path / "locale.cfg").write_bytes(b"10022 1250 pl\r\n")
    if name == "cyrillic":  # a deleted shortcut, and a qarlok.cfg that cannot be written
        clean_desktop.unlink()
        (game.path / "qarlok.cfg").unlink()
        (game.path / "qarlok.cfg.tmp").mkdir()
    else:  # a shortcut of the player's own, the marker deleted, an empty qarlok.cfg
        clean_desktop.write_bytes(b"a shortcut to something else")
        (game.path / "acceso-directo.hecho").unlink()
        (game.path / "qarlok.cfg").write_bytes(b"")
    window = LauncherWindow(game.path, cwd=elsewhere)
    window.click(*controls("es").centre(CLOSE))
    assert window.wait() == 0
    assert (game.path / "locale.cfg").read_bytes() == b"10022 1250 pl\r\n", "the player's locale.cfg is kept"
    if name == "cyrillic":
        assert not clean_desktop.exists(), "a deleted shortcut comes back only with the marker gone"
        assert "qarlok.cfg no existia y NO se ha podido crear (error 5)" in game.log_lines(), "a failed save is logged"
        assert not (game.path / "qarlok.cfg").exists(), "a failed save leaves no qarlok.cfg"
    else:
        assert clean_desktop.read_bytes() == b"a shortcut to something else", "the player's shortcut is never replaced"
        assert (game.path / "acceso-directo.hecho").exists(), "the marker is written even when no shortcut was made"
        assert (game.path / "qarlok.cfg").read_bytes() == b"", "an empty qarlok.cfg is the player's and is kept"
    assert game.run("/actualizar", cwd=elsewhere).returncode == 0
    assert (game.path / "data/mapa.pak").read_bytes() == CLIENT["data/mapa.pak"]
    assert (game.path / "version.txt").read_bytes() == b"1.0.0"
    assert [line for line in LOGGED if line not in game.log_lines()] == []
    if name == "cyrillic":  # the shell's own calls stop at MAX_PATH: no client starts from a deeper folder
        for client, switch, code, last in TEST_MODE:
            if client:
                (game.path / "qarlokclient.exe").write_bytes(client)
            assert game.run(switch, cwd=elsewhere).returncode == code, "exit code: 0 started, 1 refused, 2 missing"
            lines = game.log_lines()
            assert re.fullmatch(last, lines[-1]) and lines[-4] == "=== MODO PRUEBA ===", lines
            assert lines[-2] == "Directorio del launcher: " + wine_path(game.path) + "\\"
        [start] = wait_for(game.client_starts, what="the client")
        assert start.split("|")[0].rstrip("\\").lower() == "cwd=" + wine_path(game.path).lower(), "run in its folder"
    assert list(elsewhere.iterdir()) == [], "nothing lands in the folder it was started from"
