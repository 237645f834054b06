"""A first windowed start in an empty folder: the client's files, the marker and the desktop shortcut."""
from conftest import wine_path


def test_first_start_in_an_empty_folder(game, clean_desktop):
    assert game.run().returncode == 0
    assert (game.path / "locale.cfg").read_bytes() == b"10002 1252 es\r\n"
    settings = (game.path / "qarlok.cfg").read_bytes().decode()
    assert "WIDTH\t" in settings and "HEIGHT\t" in settings
    assert (game.path / "acceso-directo.hecho").read_bytes() == (
        b"El acceso directo del escritorio ya se intento una vez.\r\n"
        b"Borra este fichero si quieres que el launcher vuelva a crearlo.\r\n")
    link = clean_desktop.read_bytes()
    assert link[:4] == b"\x4c\x00\x00\x00", "a shell link"
    assert wine_path(game.path / "launcher.exe").lower().encode() in link.lower()
    lines = game.log_lines()
    assert "locale.cfg no existia: creado en espanol" in lines
    assert "Acceso directo creado en el escritorio" in lines

    # A second start changes nothing and logs nothing of these tasks.
    before = {p.name: p.stat().st_mtime_ns for p in game.path.iterdir()}
    clean_desktop.unlink()
    (game.path / "launcher_log.txt").unlink()
    assert game.run().returncode == 0
    assert not clean_desktop.exists(), "a shortcut the player deleted is not brought back"
    after = {p.name: p.stat().st_mtime_ns for p in game.path.iterdir() if p.name != "launcher_log.txt"}
    assert after == {k: v for k, v in before.items() if k != "launcher_log.txt"}
    assert game.log_lines() == ["La ventana del launcher no esta disponible todavia en esta version"]
