"""publicar.py on real folders: what it writes, what it refuses, and that a failure leaves the site as it was.
The end-to-end tests read what it publishes with the real launcher."""
import codecs
import hashlib
import json
import os
import stat
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from conftest import TOOLS, make_client  # noqa: E402
from publicar import excluded_reason, is_safe_relative_path, path_problem  # noqa: E402

CLIENT = {"qarlokclient.exe": b"MZ client", "data/maps/x.bin": bytes(range(256)) * 50, "vacio.dat": b"",
          "data/qarlok.cfg": b"only the top-level one is the launcher's", "dir with space/ leading blank.txt": b"same",
          "copia.txt": b"same", "d" * 119 + "/" + "f" * 120: b"240 bytes, the longest path the launcher accepts"}
NOT_PUBLISHED = {"launcher.exe": b"MZ old", "bin/Launcher.EXE": b"MZ", "qarlok.cfg": b"a=1", "version.txt": b"0.9"}


def run(*args, tmp=""):
    """publicar.py with the arguments ("TMP" in one stands for the test's folder)."""
    return subprocess.run([sys.executable, str(TOOLS / "publicar.py"), *(str(a).replace("TMP", str(tmp)) for a in args)],
                          capture_output=True, text=True, preexec_fn=lambda: os.umask(0o022), timeout=60)


def sha(data):
    return hashlib.sha256(data).hexdigest()


def stored(data):
    return "archivos/%s/%s" % (sha(data)[:2], sha(data))


def snapshot(root):
    """Every name under root with its content and modification time (None for a folder)."""
    return {p.relative_to(root).as_posix(): None if p.is_dir() else (p.read_bytes(), p.lstat().st_mtime_ns)
            for p in sorted(root.rglob("*"))}


def publish(client, site, version, *extra):
    result = run("juego", "--cliente", client, "--version", version, "--sitio", site, *extra)
    assert result.returncode == 0, result.stderr
    return result.stdout


def manifest(site, version):
    return json.loads((site / version / "manifest.json").read_text("ascii"))


@pytest.fixture
def client(tmp_path):
    return make_client(tmp_path / "cliente", {**CLIENT, **NOT_PUBLISHED})


def test_versions_are_listed_stored_and_zipped(tmp_path, client):
    site = tmp_path / "sitio"
    out = publish(client, site, "1.4.2")
    assert "launcher.exe" in out and "AVISO" not in out  # the skipped launcher is reported; empty files are fine
    patch = (site / "1.4.2/patch.zip").read_bytes()
    assert manifest(site, "1.4.2") == {"version": "1.4.2", "patch_hash": sha(patch), "patch_tamano": len(patch),
                                       "almacen": True, "archivos": {rel: {"hash": sha(data), "tamano": len(data)}
                                                                     for rel, data in CLIENT.items()}}, \
        "every client file with its hash and size, but the launcher and its own files"
    with zipfile.ZipFile(site / "1.4.2/patch.zip") as archive:
        assert {name: archive.read(name) for name in archive.namelist()} == CLIENT, "the same client, one patch"
    names, store = snapshot(site), {stored(data) for data in CLIENT.values()}
    assert set(names) == {"latest.txt", "1.4.2", "1.4.2/manifest.json", "1.4.2/patch.zip", "archivos", *store,
                          *map(os.path.dirname, store)}, "nothing else, no temporary left behind"
    assert [names[stored(data)][0] for data in CLIENT.values()] == list(CLIENT.values()), "each named by its hash"
    assert all((site / name).stat().st_mode & stat.S_IROTH for name in names), "a web server can read them"

    # The next version adds only new contents to the store, and writes again a store file damaged on the host.
    (client / "data/maps/x.bin").write_bytes(b"changed")
    (client / "data/nuevo.bin").write_bytes(b"added")
    (site / stored(b"same")).write_bytes(b"SAME")
    before = snapshot(site)
    publish(client, site, "1.5")
    after = snapshot(site)
    assert {name for name in after if name.startswith("archivos/") and after[name]} - set(before) == \
        {stored(b"changed"), stored(b"added")}, "only new contents are added to the store"
    assert after[stored(b"same")][0] == b"same", "a store file is trusted only by its content"
    assert [name for name, old in before.items() if after[name] != old] == [stored(b"same"), "latest.txt"]
    assert (after["latest.txt"][0], manifest(site, "1.5")["archivos"]["data/nuevo.bin"]) == \
        (b"1.5\n", {"hash": sha(b"added"), "tamano": 5})
    (client / "data/nuevo.bin").write_bytes(b"fixed")
    publish(client, site, "1.5", "--reemplazar", "--sin-almacen")
    assert manifest(site, "1.5")["archivos"]["data/nuevo.bin"]["hash"] == sha(b"fixed")
    assert (manifest(site, "1.5")["almacen"], stored(b"fixed") in snapshot(site)) == (False, False), "--sin-almacen"
    assert not [name for name in snapshot(site) if os.path.basename(name).startswith(".")], "no temporary left"


def path_rules():
    """Rows of the table that the launcher's own tests read too."""
    for line in (Path(__file__).resolve().parents[1] / "fixtures/path_rules.tsv").read_text("ascii").splitlines():
        if line and not line.startswith("#"):
            path, verdict, why = line.split("\t")
            raw = codecs.escape_decode(path.encode())[0]
            try:  # the launcher reads names as UTF-8; bytes that are not UTF-8 stand for themselves
                text = raw.decode("utf-8")
            except UnicodeDecodeError:
                text = raw.decode("latin-1")
            yield pytest.param(text, verdict, why, id=why)


@pytest.mark.parametrize("path, verdict, why", path_rules())
def test_publisher_follows_the_launchers_path_rules(path, verdict, why):
    publisher = "omits" if excluded_reason(path) else "refuses" if path_problem(path) else "publishes"
    expected = {"ok": "publishes", "unsafe": "refuses", "publisher": "refuses", "launcher": "omits", "own": "omits"}
    assert (is_safe_relative_path(path), publisher) == (verdict != "unsafe", expected[verdict]), f"{verdict}: {why}"


REFUSALS = [  # command, the client's files (none: a good one), options replacing the defaults ("TMP": the test's folder), message
    pytest.param("juego", {}, {"--version": "1.2.3-beta"}, "grupos de digitos", id="version suffix"),
    pytest.param("juego", {}, {"--version": "1.2.3.4.5.6.7.8.9.0.1"}, "20 caracteres", id="version 21 characters"),
    pytest.param("juego", {}, {"--version": "1.0.0"}, "--reemplazar", id="version published"),
    pytest.param("juego", {"data/nul.txt": b"x"}, {}, "reservado", id="device name in a folder"),
    pytest.param("juego", {"data/a.bin": b"a", "Data/y.bin": b"x"}, {}, "mismo nombre", id="names differing in case"),
    pytest.param("juego", {"launcher.exe": b"MZ", "version.txt": b"1"}, {}, "ningun archivo", id="nothing to publish"),
    pytest.param("juego", {}, {"--cliente": "TMP"}, "una dentro de la otra", id="site inside the client"),
    pytest.param("launcher", {}, {"--url-base": "ftp://upd.example.com"}, "--url-base", id="ftp"),
    pytest.param("launcher", {}, {"--exe": "TMP/cliente/data/a.bin"}, "no es un ejecutable", id="not an exe"),
]


@pytest.mark.parametrize("command, files, args, message", REFUSALS)
def test_refusals_leave_the_site_as_it_was(tmp_path, command, files, args, message):
    site, exe = tmp_path / "sitio", tmp_path / "launcher.exe"
    publish(make_client(tmp_path, {"launcher.exe": b"MZ old", "bueno/data/a.bin": b"a"}) / "bueno", site, "1.0.0")
    assert run("launcher", "--exe", exe, "--sitio", site, "--url-base", "https://upd.example.com").returncode == 0
    before = snapshot(site)
    client = make_client(tmp_path / "cliente", files or {"data/a.bin": b"a"})
    options = {"juego": {"--cliente": client, "--version": "2.0"},
               "launcher": {"--exe": exe, "--url-base": "https://upd.example.com"}}[command]
    result = run(command, *[x for pair in {**options, "--sitio": site, **args}.items() for x in pair], tmp=tmp_path)
    assert (result.returncode, snapshot(site)) == (1, before), "refused before anything is written"
    assert message in result.stderr, result.stderr


def test_failure_midway_undoes_what_was_written(tmp_path):
    site = tmp_path / "sitio"
    publish(make_client(tmp_path / "viejo", {"a.bin": b"a"}), site, "1.0")
    # Two new files; the store folder of the later one (store files go in hash order) is blocked by a plain file,
    # so the first new store file is already in place when writing fails.
    first, *_, last = sorted((b"n%d" % n for n in range(40)), key=sha)
    assert sha(first)[:2] != sha(last)[:2]
    (site / "archivos" / sha(last)[:2]).write_bytes(b"in the way")
    before = snapshot(site)
    result = run("juego", "--cliente", make_client(tmp_path / "nuevo", {"p": first, "q": last}), "--version", "2.0",
                 "--sitio", site)
    assert (result.returncode, snapshot(site)) == (3, before), "a failed write is undone"
    assert "queda como estaba" in result.stderr


def test_keys_are_the_operators_alone_and_a_signed_site_stays_signed(tmp_path, client):
    keys, site, exe = tmp_path / "claves", tmp_path / "sitio", tmp_path / "launcher.exe"
    assert run("clave", "--privada", keys / "a.pem", "--publica", keys / "a.txt").returncode == 0
    assert stat.S_IMODE((keys / "a.pem").stat().st_mode) == 0o600, "the private key is the operator's alone"
    before = snapshot(keys)
    assert (run("clave", "--privada", keys / "a.pem", "--publica", keys / "c.txt").returncode, snapshot(keys)) == \
        (1, before), "a key is never overwritten"

    exe.write_bytes(b"MZ build")
    launcher = ["launcher", "--exe", exe, "--sitio", site, "--url-base", "https://upd.example.com"]
    publish(client, site, "2.0", "--clave", keys / "a.pem")
    assert run(*launcher, "--clave", keys / "a.pem").returncode == 0
    before = snapshot(site)
    game = ["juego", "--cliente", client, "--sitio", site, "--version"]
    for args, message in (([*game, "3.0"], "esta firmado"), (launcher, "esta firmado"),
                          ([*game, "1.10", "--clave", keys / "a.pem"], "anterior a la anunciada 2.0"),
                          ([*game, "3.0", "--clave", keys / "a.txt"], "no es una clave privada")):
        result = run(*args)
        assert (result.returncode, snapshot(site)) == (1, before) and message in result.stderr, f"refused: {message}"
