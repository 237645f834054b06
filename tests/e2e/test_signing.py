"""Signed sites end to end: published by publicar.py --clave with the tests' key, tampered with, and read by
launcher.exe (no key) and launcher_firmado.exe (the same launcher carrying the tests' public key)."""
import subprocess
import sys

import pytest

from conftest import PYTHON, TOOLS, WIN_BUILD, GameFolder, make_client

sys.path.insert(0, str(TOOLS))
from publicar import crypto, signature_text  # noqa: E402
from xwindow import LauncherWindow, wait_for  # noqa: E402

KEY, KEYED = WIN_BUILD / "clave-pruebas" / "clave-privada.pem", "launcher_firmado.exe"
V1 = {"qarlokclient.exe": (WIN_BUILD / "qarlokclient.exe").read_bytes(), "data/mapa.pak": b"1" * 3000}
V2 = {**V1, "data/mapa.pak": b"2" * 3000}
MANIFEST, SIDECAR = "2.0.0/manifest.json", "2.0.0/manifest.json.firma"
BAD, MISSING, UNREADABLE = ("la firma no es de la clave de este launcher o el archivo ha cambiado",
                            "no se pudo descargar su firma manifest.json.firma",
                            "su firma manifest.json.firma no se puede leer")


def publish(site, tmp_path, name, launcher=WIN_BUILD / KEYED):
    """Versions 1.0.0 and 2.0.0 and a launcher, all signed with the tests' key; returns the site's address."""
    for version, files in (("1.0.0", V1), ("2.0.0", V2)):
        url = site.publish_game(name, make_client(tmp_path / version, files), version, "--clave", str(KEY))
    subprocess.run([PYTHON, str(TOOLS / "publicar.py"), "launcher", "--exe", str(launcher), "--sitio",
                    str(site.root / name), "--url-base", url, "--clave", str(KEY)], check=True, stdout=subprocess.DEVNULL)
    return url


def other_key(data):
    return signature_text(data, [crypto()[2].generate_private_key(crypto()[2].SECP256R1())])


CASES = [  # launcher, version.txt, the signed site's manifest and sidecar made from them (None: deleted), refusal
    (KEYED, b"1.0.0", lambda m: m, lambda s, m: s, None),
    ("launcher.exe", b"1.0.0", lambda m: m, lambda s, m: s, None),
    (KEYED, b"1.0.0", lambda m: m.replace(b"\n  ", b"\n \t", 1), lambda s, m: s, BAD),
    (KEYED, b"1.0.0", lambda m: m, lambda s, m: other_key(m), BAD),
    (KEYED, b"1.0.0", lambda m: m, lambda s, m: None, MISSING),
    (KEYED, b"1.0.0", lambda m: m, lambda s, m: b"", MISSING),
    (KEYED, b"1.0.0", lambda m: m, lambda s, m: s[:len(s) // 2], UNREADABLE),
    (KEYED, b"1.0.0", lambda m: m, lambda s, m: b"\x00\xffbasura\n" * 20, UNREADABLE),
    (KEYED, b"3.0.0", lambda m: m, lambda s, m: s, "es de la version 2.0.0, anterior a la instalada 3.0.0"),
]
IDS = ["signed", "signed-no-key", "one-byte-changed", "other-key", "unsigned", "empty-sidecar",
       "cut-sidecar", "garbage-sidecar", "older-version"]


@pytest.mark.parametrize("exe, installed, manifest, sidecar, refusal", CASES, ids=IDS)
def test_signed_manifest(site, tmp_path, request, exe, installed, manifest, sidecar, refusal):
    root = site.root / request.node.callspec.id
    url = publish(site, tmp_path, root.name)
    signed = (root / MANIFEST).read_bytes()
    (root / MANIFEST).write_bytes(manifest(signed))
    made = sidecar((root / SIDECAR).read_bytes(), signed)
    (root / SIDECAR).write_bytes(made) if made is not None else (root / SIDECAR).unlink()
    game = GameFolder(tmp_path / "game", exe)
    make_client(game.path, V1)
    (game.path / "version.txt").write_bytes(installed)
    game.write_ini(url)
    result, lines = game.run("/actualizar"), game.log_lines()
    assert result.returncode == (0 if refusal is None else 1), "installed a refused manifest, or refused a good one"
    assert (game.path / "data/mapa.pak").read_bytes() == (V2 if refusal is None else V1)["data/mapa.pak"]
    if refusal is None:
        assert ("Firma de manifest.json valida" in lines) == (exe == KEYED), "only a launcher with a key checks"
    else:
        assert "manifest.json rechazado: " + refusal in lines, lines


def test_signed_launcher_json_installs_the_new_launcher_and_a_bad_signature_does_not(site, tmp_path):
    newer = tmp_path / "newer.exe"
    newer.write_bytes((WIN_BUILD / KEYED).read_bytes() + b"\0another build")
    folder = site.root / "launcher-firmado" / "launcher"
    url = publish(site, tmp_path, folder.parent.name, launcher=newer)
    signed = (folder / "launcher.json.firma").read_bytes()
    (folder / "launcher.json.firma").write_bytes(other_key((folder / "launcher.json").read_bytes()))
    game = GameFolder(tmp_path / "game", KEYED)
    game.write_ini(url)
    first = LauncherWindow(game.path)
    wait_for(lambda: "Firma de manifest.json valida" in game.log_lines(), what="the check going on")
    assert "launcher.json rechazado: " + BAD in game.log_lines()
    first.click(905, 55)               # close
    assert first.wait() == 0 and (game.path / "launcher.exe").read_bytes() == (WIN_BUILD / KEYED).read_bytes()

    (folder / "launcher.json.firma").write_bytes(signed)
    second = LauncherWindow(game.path)
    assert second.wait() == 0, "the old launcher ends once the new one is started"
    wait_for(lambda: any(line.startswith("Borrado el launcher anterior") for line in game.log_lines()),
             what="the new launcher removing the old one")
    assert (game.path / "launcher.exe").read_bytes() == newer.read_bytes()
    second.window = LauncherWindow.find()
    second.click(905, 55)              # the new window's close button
    wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vandrel$"],
                                    capture_output=True).returncode != 0, what="the new window to close")
