"""Installation folders that the system code page cannot name, and folders deeper than MAX_PATH."""
import sys

import pytest

from conftest import ROOT, GameFolder, make_client, wait_for, wine_path

sys.path.insert(0, str(ROOT / "tools"))
from xwindow import CLOSE, LauncherWindow, controls  # noqa: E402

CLIENT = {"data/mapa.pak": b"m" * 500, "leeme.txt": b"hola\r\n"}
CYRILLIC = "Игры/Вандрел"
DEEP = "/".join(f"carpeta_de_juegos_{i:02d}" for i in range(14))


@pytest.mark.parametrize("folder", [CYRILLIC, DEEP], ids=["cyrillic", "deep"])
def test_everything_lands_in_the_installation_folder(site, tmp_path, folder, clean_desktop, request):
    url = site.publish_game(request.node.callspec.id, make_client(tmp_path / "client", CLIENT), "1.0.0")
    game = GameFolder(tmp_path / folder)
    assert folder == CYRILLIC or len(wine_path(game.path / "launcher.exe")) > 260
    game.add_client()
    game.write_ini(url)
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()

    window = LauncherWindow(game.path, cwd=elsewhere)  # the first-run tasks come before the window
    assert game.run(cwd=elsewhere).returncode == 0, "a second start brings the open window forward and ends"
    assert "Ya hay un launcher abierto en esta carpeta; se trae al frente" in game.log_lines()
    window.click(*controls("es").centre(CLOSE))
    assert window.wait() == 0
    assert (game.path / "locale.cfg").read_bytes() == b"10002 1252 es\r\n"
    assert (game.path / "qarlok.cfg").read_bytes().startswith(b"WIDTH\t")
    assert game.run("/actualizar", cwd=elsewhere).returncode == 0
    assert (game.path / "data/mapa.pak").read_bytes() == CLIENT["data/mapa.pak"]
    assert (game.path / "version.txt").read_bytes() == b"1.0.0"
    lines = game.log_lines()
    assert "locale.cfg no existia: creado en espanol" in lines
    assert "Actualizacion: la instalacion coincide con la version 1.0.0" in lines
    if folder == CYRILLIC:  # the shell's own calls stop at MAX_PATH: no client starts from a deeper folder
        assert game.run("/test", cwd=elsewhere).returncode == 0
        wait_for(game.client_starts)
        assert "Directorio del launcher: " + wine_path(game.path) + "\\" in game.log_lines()
        assert wine_path(game.path).encode("utf-16-le") in clean_desktop.read_bytes(), "the shortcut's folder"
    assert list(elsewhere.iterdir()) == [], "nothing lands in the folder it was started from"
