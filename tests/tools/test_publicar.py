"""publicar.py on real folders; what it writes is read back with the launcher's own patterns."""

import codecs
import hashlib
import json
import os
import re
import stat
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest

PUBLICAR = Path(__file__).resolve().parents[2] / "tools" / "publicar.py"
sys.path.insert(0, str(PUBLICAR.parent))
from publicar import crypto, excluded_reason, is_safe_relative_path, path_problem  # noqa: E402

# The launcher's readers, pattern for pattern (Python's re and ECMAScript agree on these).
MANIFEST_MEMBERS = {
    "version": re.compile(r'"version"\s*:\s*"([^"]+)"'),
    "patch_hash": re.compile(r'"patch_hash"\s*:\s*"([a-fA-F0-9]{64})"'),
    "patch_tamano": re.compile(r'"patch_tamano"\s*:\s*(\d+)'),
}
STORE_FLAG = re.compile(r'"almacen"\s*:\s*true')
FILE_ENTRY = re.compile(r'"([^"]+)"\s*:\s*\{\s*"hash"\s*:\s*"([a-fA-F0-9]{64})"\s*,\s*"tamano"\s*:\s*(\d+)\s*\}')
LAUNCHER_MEMBERS = {
    "version": r'"version"\s*:\s*"([^"]*)"', "hash": r'"hash"\s*:\s*"([a-fA-F0-9]{64})"',
    "tamano": r'"tamano"\s*:\s*(\d+)', "url": r'"url"\s*:\s*"(https?://[^"]+)"',
    "web": r'"web"\s*:\s*"(https?://[^"]+)"', "discord": r'"discord"\s*:\s*"(https?://[^"]+)"',
}

LONG_PATH = "d" * 119 + "/" + "f" * 120  # 240 bytes, the longest the launcher accepts
CLIENT = {
    "qarlokclient.exe": b"MZ client",
    "data/maps/x.bin": bytes(range(256)) * 50,
    "data/qarlok.cfg": b"only the top-level one is the launcher's",
    "dir with space/ leading blank.txt": b"same",
    "copia.txt": b"same",
    "vacio.dat": b"",
    LONG_PATH: b"long",
}
NOT_PUBLISHED = {"launcher.exe": b"MZ old", "bin/Launcher.EXE": b"MZ", "qarlok.cfg": b"a=1", "version.txt": b"0.9"}


def run(*args):
    return subprocess.run([sys.executable, str(PUBLICAR), *map(str, args)], capture_output=True, text=True,
                          preexec_fn=lambda: os.umask(0o022), timeout=60)


def make_tree(root, files):
    for rel, data in files.items():
        path = root / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return root


def sha(data):
    return hashlib.sha256(data).hexdigest()


def snapshot(root):
    """Every name under root with its content and modification time."""
    found = {}
    for path in sorted(root.rglob("*")):
        st = path.lstat()
        found[path.relative_to(root).as_posix()] = None if path.is_dir() else (path.read_bytes(), st.st_mtime_ns)
    return found


def parse_manifest(text):
    parsed = {name: (m.group(1) if m else None) for name, m in
              ((name, p.search(text)) for name, p in MANIFEST_MEMBERS.items())}
    parsed["almacen"] = bool(STORE_FLAG.search(text))
    parsed["files"] = {m.group(1): (m.group(2), int(m.group(3))) for m in FILE_ENTRY.finditer(text)}
    return parsed


def store_files(site):
    folder = site / "archivos"
    return {p.relative_to(folder).as_posix() for p in folder.rglob("*") if p.is_file()} if folder.exists() else set()


def publish(client, site, version, *extra):
    result = run("juego", "--cliente", client, "--version", version, "--sitio", site, *extra)
    assert result.returncode == 0, result.stderr
    return result


@pytest.fixture
def client(tmp_path):
    return make_tree(tmp_path / "cliente", {**CLIENT, **NOT_PUBLISHED})


def test_published_version_reads_back_through_the_launchers_patterns(tmp_path, client):
    site = tmp_path / "sitio"
    out = publish(client, site, "1.4.2").stdout
    assert "launcher.exe" in out and "AVISO" not in out  # the skipped launcher is reported; empty files are fine

    assert (site / "latest.txt").read_bytes() == b"1.4.2\n"
    text = (site / "1.4.2" / "manifest.json").read_text("ascii")
    manifest = parse_manifest(text)
    expected = {rel: (sha(data), len(data)) for rel, data in CLIENT.items()}
    patch = (site / "1.4.2" / "patch.zip").read_bytes()
    assert manifest == {"version": "1.4.2", "patch_hash": sha(patch), "patch_tamano": str(len(patch)),
                        "almacen": True, "files": expected}
    assert json.loads(text)["archivos"] == {k: {"hash": h, "tamano": n} for k, (h, n) in expected.items()}

    with zipfile.ZipFile(site / "1.4.2" / "patch.zip") as archive:
        infos = archive.infolist()
        assert [i.filename for i in infos] == sorted(CLIENT)
        assert all(i.compress_type == zipfile.ZIP_DEFLATED and i.date_time == (1980, 1, 1, 0, 0, 0) for i in infos)
        assert {i.filename: archive.read(i) for i in infos} == CLIENT

    hashes = {h for h, _ in expected.values()}
    assert store_files(site) == {"%s/%s" % (h[:2], h) for h in hashes}
    by_hash = {sha(data): data for data in CLIENT.values()}
    assert all((site / "archivos" / h[:2] / h).read_bytes() == by_hash[h] for h in hashes)

    names = snapshot(site)
    assert not [n for n in names if os.path.basename(n).startswith(".")]  # no temporary left behind
    assert set(names) == {"latest.txt", "1.4.2", "1.4.2/manifest.json", "1.4.2/patch.zip", "archivos"} | \
        {"archivos/" + h[:2] for h in hashes} | {"archivos/%s/%s" % (h[:2], h) for h in hashes}
    assert all((site / n).stat().st_mode & stat.S_IROTH for n in names)  # a web server can read them


def path_rules():
    """Rows of the table that the launcher's own tests read too."""
    table = Path(__file__).resolve().parents[1] / "fixtures" / "path_rules.tsv"
    for line in table.read_text("ascii").splitlines():
        if line and not line.startswith("#"):
            path, verdict, why = line.split("\t")
            raw = codecs.escape_decode(path.encode())[0]
            try:  # the launcher reads names as UTF-8; bytes that are not UTF-8 stand for themselves
                text = raw.decode("utf-8")
            except UnicodeDecodeError:
                text = raw.decode("latin-1")
            yield pytest.param(text, verdict, id=why)


@pytest.mark.parametrize("path, verdict", path_rules())
def test_publisher_follows_the_launchers_path_rules(path, verdict):
    publisher = "omits" if excluded_reason(path) else "refuses" if path_problem(path) else "publishes"
    expected = {"ok": "publishes", "unsafe": "refuses", "publisher": "refuses", "launcher": "omits", "own": "omits"}
    assert (is_safe_relative_path(path), publisher) == (verdict != "unsafe", expected[verdict])


def test_same_client_gives_the_same_patch_whatever_the_file_times(tmp_path, client):
    publish(client, tmp_path / "a", "1.0")
    for path in client.rglob("*"):
        os.utime(path, (1, 1))
    publish(client, tmp_path / "b", "1.0")
    assert (tmp_path / "a/1.0/patch.zip").read_bytes() == (tmp_path / "b/1.0/patch.zip").read_bytes()


def test_next_version_adds_only_what_changed_to_the_store(tmp_path, client):
    site = tmp_path / "sitio"
    publish(client, site, "1.0")
    before = snapshot(site)
    (client / "data/maps/x.bin").write_bytes(b"changed")
    (client / "data/nuevo.bin").write_bytes(b"added")
    altered = "archivos/%s/%s" % (sha(b"same")[:2], sha(b"same"))
    (site / altered).write_bytes(b"SAME")  # damaged on the host, its size unchanged
    publish(client, site, "1.1")
    after = snapshot(site)

    assert store_files(site) - {k[len("archivos/"):] for k in before} == \
        {"%s/%s" % (sha(d)[:2], sha(d)) for d in (b"changed", b"added")}
    assert (site / altered).read_bytes() == b"same", "a store file is trusted only by its content"
    assert all(after[name] == old for name, old in before.items() if name not in ("latest.txt", altered))
    assert (site / "latest.txt").read_text() == "1.1\n"
    files = parse_manifest((site / "1.1/manifest.json").read_text())["files"]
    assert files["data/nuevo.bin"] == (sha(b"added"), 5) and len(files) == len(CLIENT) + 1

    (client / "data/nuevo.bin").write_bytes(b"fixed")
    publish(client, site, "1.1", "--reemplazar")
    assert parse_manifest((site / "1.1/manifest.json").read_text())["files"]["data/nuevo.bin"][0] == sha(b"fixed")
    assert not [n for n in snapshot(site) if os.path.basename(n).startswith(".")]


# Runs publicar.py with an audit hook that records every file-system call made while a watched file is missing.
WATCHER = """
import os, sys
tools, watched, args = sys.argv[1], sys.argv[2:5], sys.argv[5:]
gaps = []
sys.addaudithook(lambda event, _: event.startswith("os.") and not all(map(os.path.lexists, watched))
                 and gaps.append(event))
sys.path.insert(0, tools)
import publicar
code = publicar.main(args)
print("gaps:", gaps)
sys.exit(code)
"""


def test_latest_and_the_launcher_are_never_missing_while_replaced(tmp_path, client):
    site, exe = tmp_path / "sitio", tmp_path / "launcher.exe"
    exe.write_bytes(b"MZ one")
    launcher = ["launcher", "--exe", exe, "--sitio", site, "--url-base", "https://upd.example.com"]
    publish(client, site, "1.0")
    assert run(*launcher).returncode == 0
    exe.write_bytes(b"MZ two")
    watched = [site / "latest.txt", site / "launcher" / "launcher.exe", site / "launcher" / "launcher.json"]
    for args in (["juego", "--cliente", client, "--version", "1.1", "--sitio", site], launcher):
        result = subprocess.run([sys.executable, "-c", WATCHER, PUBLICAR.parent, *watched, *args],
                                capture_output=True, text=True, timeout=60)
        assert (result.returncode, result.stdout.splitlines()[-1]) == (0, "gaps: []"), result.stdout + result.stderr
    assert (site / "latest.txt").read_bytes() == b"1.1\n"
    assert (site / "launcher" / "launcher.exe").read_bytes() == b"MZ two"


def test_without_store_only_the_patch_is_offered(tmp_path, client):
    site = tmp_path / "sitio"
    publish(client, site, "2", "--sin-almacen")
    manifest = parse_manifest((site / "2/manifest.json").read_text())
    assert not manifest["almacen"] and len(manifest["files"]) == len(CLIENT)
    assert not (site / "archivos").exists()


# Each refusal: extra client files, arguments replacing the defaults, a fragment of the message.
GAME_REFUSALS = [
    ("prefix", {}, {"--version": "v1.2"}, "grupos de digitos"),
    ("suffix", {}, {"--version": "1.2.3-beta"}, "grupos de digitos"),
    ("blank", {}, {"--version": "1.2.3 "}, "grupos de digitos"),
    ("21 chars", {}, {"--version": "1.2.3.4.5.6.7.8.9.0.1"}, "20 caracteres"),
    ("dots only", {}, {"--version": ".."}, "grupos de digitos"),
    ("leading dot", {}, {"--version": ".5"}, "grupos de digitos"),
    ("double dot", {}, {"--version": "1..2"}, "grupos de digitos"),
    ("final dot", {}, {"--version": "1.2."}, "grupos de digitos"),
    ("published", {}, {"--version": "1.0.0"}, "--reemplazar"),
    ("nul in folder", {"data/nul.txt": b"x"}, {}, "reservado"),
    ("case", {"Data/y.bin": b"x"}, {}, "mismo nombre"),
]


@pytest.mark.parametrize("extra, args, message", [c[1:] for c in GAME_REFUSALS], ids=[c[0] for c in GAME_REFUSALS])
def test_game_refusals_leave_the_site_as_it_was(tmp_path, extra, args, message):
    site = tmp_path / "sitio"
    good = make_tree(tmp_path / "bueno", {"data/a.bin": b"a"})
    publish(good, site, "1.0.0")
    before = snapshot(site)
    client = make_tree(tmp_path / "cliente", {"data/a.bin": b"a", **extra})
    options = {"--cliente": client, "--version": "2.0", "--sitio": site, **args}
    result = run("juego", *[x for pair in options.items() for x in pair])
    assert (result.returncode, snapshot(site)) == (1, before)
    assert message in result.stderr, result.stderr


@pytest.mark.parametrize("client_files, client_is_parent", [
    ({"launcher.exe": b"MZ", "version.txt": b"1"}, False),  # nothing left to publish
    ({"a.bin": b"a"}, True),                                 # the site would be published into itself
])
def test_client_without_publishable_content_is_refused(tmp_path, client_files, client_is_parent):
    client = make_tree(tmp_path / "cliente", client_files)
    result = run("juego", "--cliente", tmp_path if client_is_parent else client, "--version", "1",
                 "--sitio", tmp_path / "sitio")
    assert result.returncode == 1 and "RECHAZADO" in result.stderr
    assert not (tmp_path / "sitio").exists()


def test_failure_midway_undoes_what_was_written(tmp_path):
    site = tmp_path / "sitio"
    publish(make_tree(tmp_path / "viejo", {"a.bin": b"a"}), site, "1.0")
    # Two new files; the store folder of the later one (store files go in hash order) is blocked by a plain file,
    # so the first new store file is already in place when writing fails.
    contents = sorted((b"n%d" % n for n in range(40)), key=sha)
    first, last = contents[0], contents[-1]
    assert sha(first)[:2] != sha(last)[:2]
    (site / "archivos" / sha(last)[:2]).write_bytes(b"in the way")
    before = snapshot(site)
    result = run("juego", "--cliente", make_tree(tmp_path / "nuevo", {"p": first, "q": last}), "--version", "2.0",
                 "--sitio", site)
    assert (result.returncode, snapshot(site)) == (3, before)
    assert "queda como estaba" in result.stderr


def launcher_fields(site):
    text = (site / "launcher" / "launcher.json").read_text("ascii")
    json.loads(text)
    return {name: (m.group(1) if m else "") for name, m in
            ((name, re.search(p, text)) for name, p in LAUNCHER_MEMBERS.items())}


def test_launcher_is_described_for_the_self_update(tmp_path):
    site = tmp_path / "sitio"
    exe = tmp_path / "launcher.exe"
    exe.write_bytes(b"MZ build one")
    assert run("launcher", "--exe", exe, "--sitio", site, "--url-base", "https://upd.example.com//", "--version",
               "2.0.1", "--web", "https://vandrel.example.com", "--discord", "https://discord.gg/abc").returncode == 0
    assert (site / "launcher" / "launcher.exe").read_bytes() == b"MZ build one"
    assert launcher_fields(site) == {
        "version": "2.0.1", "hash": sha(b"MZ build one"), "tamano": "12",
        "url": "https://upd.example.com/launcher/launcher.exe", "web": "https://vandrel.example.com",
        "discord": "https://discord.gg/abc"}

    # A new build without link options keeps the published links; "" removes one.
    exe.write_bytes(b"MZ build two")
    assert run("launcher", "--exe", exe, "--sitio", site, "--url-base", "https://upd.example.com",
               "--discord", "").returncode == 0
    fields = launcher_fields(site)
    assert (fields["version"], fields["hash"]) == (sha(b"MZ build two")[:12], sha(b"MZ build two"))
    assert (fields["web"], fields["discord"]) == ("https://vandrel.example.com", "")
    assert sorted(p.name for p in (site / "launcher").iterdir()) == ["launcher.exe", "launcher.json"]


LAUNCHER_REFUSALS = [
    ("ftp", {"--url-base": "ftp://upd.example.com"}, "--url-base"),
    ("upper-case scheme", {"--url-base": "HTTPS://upd.example.com"}, "--url-base"),
    ("no host", {"--url-base": "https:///x"}, "--url-base"),
    ("blank", {"--url-base": "https://upd example.com"}, "--url-base"),
    ("quote", {"--url-base": 'https://upd.example.com/"x'}, "--url-base"),
    ("query", {"--url-base": "https://upd.example.com/?x=1"}, "'?'"),
    ("web without scheme", {"--web": "www.vandrel.example.com"}, "--web"),
    ("discord without scheme", {"--discord": "discord.gg/abc"}, "--discord"),
    ("version quote", {"--version": 'a"b'}, "--version"),
    ("not an exe", {"--exe": "texto.txt"}, "no es un ejecutable"),
    ("missing exe", {"--exe": "falta.exe"}, "no existe"),
]


@pytest.mark.parametrize("args, message", [c[1:] for c in LAUNCHER_REFUSALS], ids=[c[0] for c in LAUNCHER_REFUSALS])
def test_launcher_refusals_leave_the_site_as_it_was(tmp_path, args, message):
    site = tmp_path / "sitio"
    (tmp_path / "launcher.exe").write_bytes(b"MZ old")
    (tmp_path / "texto.txt").write_bytes(b"not a program")
    base = ["--sitio", site, "--url-base", "https://upd.example.com"]
    assert run("launcher", "--exe", tmp_path / "launcher.exe", *base).returncode == 0
    before = snapshot(site)
    options = {"--exe": tmp_path / "launcher.exe", "--sitio": site, "--url-base": "https://upd.example.com", **args}
    if args.get("--exe"):
        options["--exe"] = tmp_path / args["--exe"]
    result = run("launcher", *[x for pair in options.items() for x in pair])
    assert (result.returncode, snapshot(site)) == (1, before)
    assert message in result.stderr, result.stderr


def signs(public_file, data, line):
    """Whether a sidecar line is a valid signature of data by the key in a public-key file of publicar.py clave."""
    hashes, _, ec, utils = crypto()
    [key] = [k[5:] for k in public_file.read_text("ascii").splitlines() if k.startswith("p256 ")]
    public = ec.EllipticCurvePublicNumbers(int(key[:64], 16), int(key[64:], 16), ec.SECP256R1()).public_key()
    try:
        public.verify(utils.encode_dss_signature(int(line[5:69], 16), int(line[69:], 16)), data,
                      ec.ECDSA(hashes.SHA256()))
    except Exception:  # InvalidSignature
        return False
    return line.startswith("p256 ") and len(line) == 133


def test_keys_sign_the_exact_bytes_and_a_signed_site_stays_signed(tmp_path, client):
    keys, site, exe = tmp_path / "claves", tmp_path / "sitio", tmp_path / "launcher.exe"
    for name in "ab":
        assert run("clave", "--privada", keys / f"{name}.pem", "--publica", keys / f"{name}.txt").returncode == 0
    assert stat.S_IMODE((keys / "a.pem").stat().st_mode) == 0o600, "the private key is the operator's alone"
    before = snapshot(keys)
    assert (run("clave", "--privada", keys / "a.pem", "--publica", keys / "c.txt").returncode, snapshot(keys)) == \
        (1, before), "a key is never overwritten"

    exe.write_bytes(b"MZ build")
    launcher = ["launcher", "--exe", exe, "--sitio", site, "--url-base", "https://upd.example.com"]
    publish(client, site, "2.0", "--clave", keys / "a.pem", "--clave", keys / "b.pem")  # two keys while rotating
    assert run(*launcher, "--clave", keys / "b.pem").returncode == 0
    for document, signers in (("2.0/manifest.json", "ab"), ("launcher/launcher.json", "b")):
        data = (site / document).read_bytes()
        lines = (site / (document + ".firma")).read_text("ascii").splitlines()
        assert [signs(keys / f"{k}.txt", data, line) for k, line in zip(signers, lines)] == [True] * len(signers)
        assert len(lines) == len(signers) and not signs(keys / "a.txt", data[:-1], lines[0]), document

    before = snapshot(site)
    game = ["juego", "--cliente", client, "--sitio", site, "--version"]
    for args, message in (([*game, "3.0"], "esta firmado"), (launcher, "esta firmado"),
                          ([*game, "1.10", "--clave", keys / "a.pem"], "anterior a la anunciada 2.0"),
                          ([*game, "3.0", "--clave", keys / "a.txt"], "no es una clave privada")):
        result = run(*args)
        assert (result.returncode, snapshot(site)) == (1, before) and message in result.stderr, result.stderr


def test_help_documents_both_commands_and_exit_codes():
    result = run("--help")
    assert result.returncode == 0
    assert all(word in result.stdout for word in ("juego", "launcher", "Codigos de salida", "latest.txt"))
