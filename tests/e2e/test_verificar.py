"""/verificar end to end: a client published with publicar.py, served on loopback, checked by launcher.exe."""
import os
import re
import shutil
import time

import pytest

from conftest import GameFolder, make_client

SUMMARY = re.compile(r"^Verificacion (rapida|completa): (\d+) archivos en manifest, (\d+) faltantes o diferentes "
                     r"\((\d+) leidos, (\d+) por fecha, \d+ ms\)$")
CLIENT = {
    "qarlokclient.exe": b"MZ stand-in client",
    "data/mapas/norte.pak": b"n" * 3000,
    "data/mapas/sur.pak": b"s" * 2000,
    "data/texturas/roca.dds": bytes(range(256)) * 8,
    "musica/tema.ogg": b"ogg" * 100,
    "leeme.txt": b"hola\r\n",
}


def summary(game):
    found = [SUMMARY.match(line) for line in game.log_lines()]
    found = [m for m in found if m]
    assert found, game.log_lines()
    mode, total, pending, hashed, trusted = found[-1].groups()
    return mode, int(total), int(pending), int(hashed), int(trusted)


def pending_lines(game):
    return [line[len("  FALTA O DIFIERE: "):] for line in game.log_lines() if line.startswith("  FALTA O DIFIERE: ")]


@pytest.fixture
def installed(site, tmp_path, request):
    """A game folder holding exactly the published client, pointed at its site."""
    client = make_client(tmp_path / "client", CLIENT)
    url = site.publish_game(request.node.name, client, "1.0.0")
    game = GameFolder(tmp_path / "game")
    shutil.copytree(client, game.path, dirs_exist_ok=True)
    game.write_ini(url)
    return game


def rerun(game, *args):
    (game.path / "launcher_log.txt").unlink(missing_ok=True)
    result = game.run("/verificar", *args)
    assert result.returncode == 0
    return result


def test_first_run_full_then_quick(installed):
    game = installed
    result = rerun(game)
    assert summary(game) == ("completa", 6, 0, 6, 0)
    assert result.stdout.decode().replace("\r\n", "\n").endswith(
        "Archivos verificados: 6\nArchivos faltantes o diferentes: 0\n")
    assert "Todo al dia; version.txt decia 0.0.0 y pasa a 1.0.0" in game.log_lines()
    assert (game.path / "version.txt").read_bytes() == b"1.0.0"
    cache = (game.path / "verificacion.cache").read_bytes().split(b"\r\n")
    assert cache[0] == b"VANDREL-CACHE 1"
    assert abs(int(cache[1]) - time.time()) < 120

    rerun(game, "rapido")
    assert summary(game) == ("rapida", 6, 0, 0, 6)
    assert not any(line.startswith("Todo al dia") for line in game.log_lines()), "version.txt already says 1.0.0"

    rerun(game)  # without "rapido" the headless run is always full
    assert summary(game)[0] == "completa"


def test_touched_changed_and_missing_files(installed):
    game = installed
    rerun(game)
    later = time.time() + 60
    os.utime(game.path / "leeme.txt", (later, later))                     # same content, new time
    (game.path / "data/mapas/sur.pak").write_bytes(b"x" * 2000)            # same size, new content
    (game.path / "musica/tema.ogg").unlink()
    rerun(game, "rapido")
    assert summary(game) == ("rapida", 6, 2, 3, 3)
    assert pending_lines(game) == ["data/mapas/sur.pak", "musica/tema.ogg"]
    assert not any(line.startswith("Todo al dia") for line in game.log_lines())

    # Content changed behind a restored size and time: only a full run notices.
    norte = game.path / "data/mapas/norte.pak"
    stamp = norte.stat()
    norte.write_bytes(b"m" * 3000)
    os.utime(norte, ns=(stamp.st_atime_ns, stamp.st_mtime_ns))
    rerun(game, "rapido")
    assert "data/mapas/norte.pak" not in pending_lines(game)
    rerun(game)
    assert pending_lines(game) == ["data/mapas/norte.pak", "data/mapas/sur.pak", "musica/tema.ogg"]


def test_the_launcher_and_its_own_files_listed_with_another_hash_are_never_pending(installed, site, request):
    game = installed
    manifest = site.root / request.node.name / "1.0.0" / "manifest.json"
    text = manifest.read_text()
    entries = "".join('"%s": {"hash": "%s", "tamano": 5},\n    ' % (name, "0" * 64)
                      for name in ("launcher.exe", "version.txt", "qarlok.cfg"))
    manifest.write_text(text.replace('"data/', entries + '"data/', 1))
    rerun(game)
    assert summary(game) == ("completa", 9, 0, 6, 0)
    rerun(game, "rapido")
    assert summary(game) == ("rapida", 9, 0, 0, 6)


@pytest.mark.parametrize("age, mode", [(6 * 86400, "rapida"), (8 * 86400, "completa"), (-86400, "completa")])
def test_seven_day_rule_and_clock_set_back(installed, age, mode):
    game = installed
    rerun(game)
    cache = game.path / "verificacion.cache"
    lines = cache.read_bytes().split(b"\r\n")
    lines[1] = str(int(time.time()) - age).encode()
    cache.write_bytes(b"\r\n".join(lines))
    rerun(game, "rapido")
    assert summary(game)[0] == mode


def test_version_txt_is_read_as_its_first_line(installed):
    game = installed
    (game.path / "version.txt").write_bytes(b"1.0.0\r\nbasura\r\n")
    rerun(game)
    assert not any(line.startswith("Todo al dia") for line in game.log_lines())
    (game.path / "version.txt").write_bytes(b"\x00\xff\x01 basura")
    rerun(game)
    assert any(line.startswith("Todo al dia; version.txt decia ") and line.endswith(" y pasa a 1.0.0")
               for line in game.log_lines())
    assert (game.path / "version.txt").read_bytes() == b"1.0.0"


def test_unreachable_server_is_logged_and_exits_zero(tmp_path):
    game = GameFolder(tmp_path / "game")
    game.write_ini("http://127.0.0.1:1/nadie")
    (game.path / "version.txt").write_bytes(b"0.5")
    result = game.run("/verificar")
    assert result.returncode == 0
    lines = game.log_lines()
    assert lines[0] == "=== MODO VERIFICAR ==="
    assert lines[1] == "URL del servidor de actualizaciones: http://127.0.0.1:1/nadie"
    assert lines[2] == "AVISO: la URL no es HTTPS. El contenido viaja sin cifrar."
    assert lines[-1] == "Verificacion: ERROR al conectar con el servidor"
    assert "Error al descargar latest.txt" in result.stdout.decode()
    assert (game.path / "version.txt").read_bytes() == b"0.5"
    assert not (game.path / "verificacion.cache").exists()


def test_server_text_cannot_forge_log_lines_or_version_txt(installed, site, request):
    game = installed
    manifest = site.root / request.node.name / "1.0.0" / "manifest.json"
    text = manifest.read_text()
    forged = "[2026-01-01 00:00:00] Verificacion completa: todo correcto"
    entry = '"x\r\n' + forged + '": {"hash": "' + "0" * 64 + '", "tamano": 5},\n    '
    manifest.write_bytes(text.replace('"data/', entry + '"data/', 1).encode())
    rerun(game)
    # The manifest is read as text, where CR LF arrives as a line feed.
    assert pending_lines(game) == ["x\\x0A" + forged], "one log call, one line"

    (game.path / "version.txt").write_bytes(b"0.9")
    manifest.write_bytes(text.replace('"version": "1.0.0"', '"version": "1.0.0\r\n' + forged + '"').encode())
    rerun(game)
    assert game.log_lines()[-1] == "Verificacion: ERROR al conectar con el servidor"
    assert (game.path / "version.txt").read_bytes() == b"0.9"
