"""/verificar end to end: a client published with publicar.py, served on loopback, checked by launcher.exe run
after run as its files and its verification cache change on disk."""
import os
import re
import time

from conftest import GameFolder, make_client

SUMMARY = re.compile(r"Verificacion (rapida|completa): (\d+) archivos en manifest, (\d+) faltantes o diferentes "
                     r"\((\d+) leidos, (\d+) por fecha, \d+ ms\)")
CLIENT = {"qarlokclient.exe": b"MZ stand-in client", "data/mapas/norte.pak": b"n" * 3000, "leeme.txt": b"hola\r\n",
          "data/mapas/sur.pak": b"s" * 2000, "data/texturas/roca.dds": bytes(range(256)) * 8, "musica/tema.ogg": b"o" * 300}


def verify(game, *args):
    """One /verificar run: (mode, listed, pending, read, trusted by time), the pending paths, the log, the output."""
    (game.path / "launcher_log.txt").unlink(missing_ok=True)
    result = game.run("/verificar", *args)
    assert result.returncode == 0, "/verificar ends with 0 whatever it finds"
    lines = game.log_lines()
    found = [SUMMARY.fullmatch(line) for line in lines]
    counts = [(m[1], *map(int, m.groups()[1:])) for m in found if m]
    pending = [line[19:] for line in lines if line.startswith("  FALTA O DIFIERE: ")]
    return counts[-1] if counts else None, pending, lines, result.stdout.decode().replace("\r\n", "\n")


def verified_at(game, days_ago=None):
    """The cache's time of the last full run; with days_ago, first set to that long before now."""
    cache = game.path / "verificacion.cache"
    lines = cache.read_bytes().split(b"\r\n")
    if days_ago is not None:
        lines[1] = str(int(time.time() - days_ago * 86400)).encode()
        cache.write_bytes(b"\r\n".join(lines))
    return int(lines[1])


def rewrite(path, content, seconds_later):
    """New content with the file time moved by seconds_later from the old one (0: the old time kept)."""
    old = path.stat().st_mtime_ns
    path.write_bytes(content)
    os.utime(path, ns=(old, old + seconds_later * 10**9))


def test_full_and_quick_runs_find_what_changed_on_disk(site, tmp_path):
    url = site.publish_game("verificar", make_client(tmp_path / "client", CLIENT), "1.0.0")
    manifest = site.root / "verificar/1.0.0/manifest.json"
    own = "".join('"%s": {"hash": "%s", "tamano": 5},\n' % (name, "0" * 64)
                  for name in ("launcher.exe", "version.txt", "qarlok.cfg"))  # the launcher's own: never compared
    manifest.write_text(manifest.read_text().replace('"data/', own + '"data/', 1))
    game = GameFolder(tmp_path / "game", files=CLIENT, url=url)

    counts, pending, lines, out = verify(game, "rapido")  # nothing remembered yet: a full run
    assert (counts, pending) == (("completa", 9, 0, 6, 0), []), "the launcher's own files are never compared"
    assert out.endswith("Archivos verificados: 9\nArchivos faltantes o diferentes: 0\n")
    assert "Todo al dia; version.txt decia 0.0.0 y pasa a 1.0.0" in lines
    assert (game.path / "version.txt").read_bytes() == b"1.0.0"
    assert (game.path / "verificacion.cache").read_bytes().startswith(b"VANDREL-CACHE 1\r\n")

    six_days_ago = verified_at(game, 6)
    counts, pending, lines, _ = verify(game, "rapido")
    assert (counts, pending) == (("rapida", 9, 0, 0, 6), []), "within seven days a quick run trusts file times"
    assert verified_at(game) == six_days_ago, "a quick run must not renew the time of the last full run"
    assert not [line for line in lines if line.startswith("Todo al dia")], "version.txt already says 1.0.0"

    rewrite(game.path / "leeme.txt", CLIENT["leeme.txt"], 60)            # same content, new time
    rewrite(game.path / "data/mapas/sur.pak", b"x" * 2000, 60)           # same size, new content and time
    rewrite(game.path / "data/texturas/roca.dds", b"r" * 100, 0)         # another size behind the old time
    rewrite(game.path / "data/mapas/norte.pak", b"m" * 3000, 0)          # only a full run reads this one
    (game.path / "musica/tema.ogg").unlink()
    counts, pending, _, _ = verify(game, "rapido")
    assert counts == ("rapida", 9, 3, 4, 2), "a quick run reads every file whose size or time changed"
    assert pending == ["data/mapas/sur.pak", "data/texturas/roca.dds", "musica/tema.ogg"]

    verified_at(game, 8)
    counts, pending, _, _ = verify(game, "rapido")
    assert counts == ("completa", 9, 4, 6, 0), "after seven days the run is full"
    assert pending == ["data/mapas/norte.pak", "data/mapas/sur.pak", "data/texturas/roca.dds", "musica/tema.ogg"]
    assert abs(verified_at(game) - time.time()) < 600, "a full run renews the time"
    assert verify(game)[0][0] == "completa", "without rapido the run is always full"
