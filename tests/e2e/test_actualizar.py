"""/actualizar end to end: versions published with publicar.py, an older installation repaired by launcher.exe."""
import contextlib
import hashlib
import os
import subprocess
import sys

import pytest

from conftest import GameFolder, make_client, wait_for

V1 = {
    "qarlokclient.exe": b"MZ client 1",
    "data/mapas/norte.pak": b"n1" * 1000,
    "data/mapas/sur.pak": b"s1" * 1000,
    "musica/tema.ogg": b"ogg1" * 100,
    "leeme.txt": b"version 1\r\n",
}
V2 = {**V1, "qarlokclient.exe": b"MZ client 2", "data/mapas/norte.pak": b"n2" * 1000}
V3 = {**V2, "data/mapas/sur.pak": b"s3" * 1500, "data/nuevos/este.pak": b"e3" * 700, "vacio.dat": b""}


def publish_versions(site, tmp_path, name, *extra):
    for version, files in (("1.0.0", V1), ("2.0.0", V2), ("3.0.0", V3)):
        client = make_client(tmp_path / f"client-{version}", files)
        url = site.publish_game(name, client, version, *extra)
    return url


def install(tmp_path, files, url, name="game"):
    return GameFolder(tmp_path / name, files=files, url=url, version=b"1.0.0")


def assert_matches(game, files):
    assert {name: (game.path / name).read_bytes() for name in files} == files, "the installation matches the version"


def test_server_dying_half_way_then_a_second_run_repairs_two_versions_from_the_store(site, tmp_path):
    url = publish_versions(site, tmp_path, "dos-atras")
    game = install(tmp_path, V1, url)
    # The second pending file (byte order: data/mapas/norte.pak, data/mapas/sur.pak, ...) and the patch fail.
    sur = hashlib.sha256(V3["data/mapas/sur.pak"]).hexdigest()
    site.control(f"rule?path=/dos-atras/archivos/{sur[:2]}/{sur}&mode=status&status=503")
    site.control("rule?path=/dos-atras/3.0.0/patch.zip&mode=status&status=503")
    try:
        result = game.run("/actualizar")
        counts = site.request_counts()
    finally:
        site.control("reset")
    assert result.returncode == 1, "an unfinished update must fail"
    assert (game.path / "data/mapas/norte.pak").read_bytes() == V3["data/mapas/norte.pak"], "placed before the failure"
    assert (game.path / "data/mapas/sur.pak").read_bytes() == V1["data/mapas/sur.pak"]
    assert (game.path / "version.txt").read_bytes() == b"1.0.0", "version.txt names only a finished update"
    assert game.log_lines()[-1].startswith("Actualizacion: quedan ")
    assert not any(hashlib.sha256(b"").hexdigest() in path for path in counts), "an empty file is never fetched"

    result = game.run("/actualizar")
    assert (result.returncode, (game.path / "version.txt").read_bytes()) == (0, b"3.0.0"), game.log_lines()
    assert_matches(game, V3)
    lines = game.log_lines()
    assert ("Actualizado a la version 3.0.0" in lines, lines[-1]) == \
        (True, "Actualizacion: la instalacion coincide con la version 3.0.0")
    assert (any(p.endswith("patch.zip") for p in site.request_counts()), "Instalacion al dia" in result.stdout.decode()) \
        == (False, True), "the store alone repairs, and says so"

    site.control("clear_log")
    assert game.run("/actualizar", "rapido").returncode == 0
    assert not any("/archivos/" in path for path in site.request_counts()), "an installation up to date needs nothing"


def test_one_launcher_per_folder(site, tmp_path):
    url = publish_versions(site, tmp_path, "uno-por-carpeta")
    game = install(tmp_path, V1, url)
    (game.path / "acceso-directo.hecho").write_bytes(b"")  # no desktop shortcut from this test
    other = install(tmp_path, V1, "http://127.0.0.1:1/nadie", "otra")
    site.control("clear_log")
    # The first run waits minutes for the site (five stalled requests), far longer than a second run waits.
    for path, times in (("latest.txt", 2), ("3.0.0/manifest.json", 3)):
        site.control(f"rule?path=/uno-por-carpeta/{path}&mode=stall&seconds=300&times={times}")
    first = game.start("/actualizar")
    restart = None
    try:
        wait_for(lambda: site.request_counts().get("/uno-por-carpeta/latest.txt"))  # the first holds the folder
        verified = other.run("/verificar")  # its site is unreachable, which it says
        assert (verified.returncode, "Error al descargar latest.txt" in verified.stdout.decode()) == (0, True), \
            "another folder is not held up, and tells when its site is unreachable"
        assert game.run().returncode == 0
        assert not (game.path / "locale.cfg").exists(), "a second windowed start leaves the folder alone"
        assert "Ya hay un launcher trabajando en esta carpeta; este se cierra" in game.log_lines()
        second = game.run("/actualizar")
        assert second.returncode == 1
        assert second.stdout.decode().splitlines() == [
            "Otro launcher trabaja en esta carpeta; se espera a que termine",
            "Otro launcher sigue trabajando en esta carpeta; no se hace nada"], "and nothing else was done"

        # Started by a self-update, the new launcher waits for the old one to end, even one that crashed.
        restart = game.start("/reinicio")
        waiting = "Otro launcher trabaja en esta carpeta; se espera a que termine (hasta 30 s)"
        wait_for(lambda: game.log_lines().count(waiting) == 2)
        first.kill()
        wait_for(lambda: (game.path / "locale.cfg").exists())
    finally:
        for process in (first, restart):
            if process:
                process.kill()
                process.wait()
    site.control("reset")
    assert game.run("/actualizar").returncode == 0
    assert_matches(game, V3)


# A file-size limit where mounting is not allowed: writes beyond it fail instead of killing the process.
SIZE_LIMITED = ("import os, resource, signal, sys; signal.signal(signal.SIGXFSZ, signal.SIG_IGN); "
                "resource.setrlimit(resource.RLIMIT_FSIZE, (int(sys.argv[1]),) * 2); os.execvp(sys.argv[2], sys.argv[2:])")


@contextlib.contextmanager
def small_disk(folder, size):
    """A full disk for the files the launcher writes into folder; yields the command prefix to run it with."""
    folder.mkdir(parents=True)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", str(folder)],
                             capture_output=True).returncode == 0
    try:
        yield () if mounted else (sys.executable, "-c", SIZE_LIMITED, str(size))
    finally:
        if mounted:
            subprocess.run(["umount", "-l", str(folder)], check=True)


def test_full_disk_keeps_the_old_files_and_leaves_nothing_behind(site, tmp_path):
    big = {**V1, "data/mapas/norte.pak": bytes(3 << 20)}  # a few KiB in patch.zip, too big for the disk
    for version, files in (("1.0.0", V1), ("2.0.0", big)):
        url = site.publish_game("lleno", make_client(tmp_path / version, files), version, "--sin-almacen")
    with small_disk(tmp_path / "game/data/mapas", 1 << 20) as wrap:
        game = install(tmp_path, V1, url)
        result = game.run("/actualizar", wrap=wrap)
        assert result.returncode == 1
        assert_matches(game, V1)
        assert sorted(os.listdir(game.path / "data/mapas")) == ["norte.pak", "sur.pak"], "no partial file left"
    assert ((game.path / "patch_temp.zip").exists(), (game.path / "version.txt").read_bytes()) == (False, b"1.0.0")
    assert any(line.startswith("No se pudo extraer data/mapas/norte.pak: error al escribir") for line in game.log_lines())
