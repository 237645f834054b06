"""A signed site end to end: published by publicar.py with another key and the tests' key (as while keys are
rotated), tampered with, and read by launcher_firmado.exe, the launcher carrying the tests' public key."""
from conftest import WIN_BUILD, GameFolder, make_client, no_window_shown, publicar, wait_for
from xwindow import CLOSE, LauncherWindow, controls

KEY, KEYED = WIN_BUILD / "clave-pruebas" / "clave-privada.pem", WIN_BUILD / "launcher_firmado.exe"
V1, V2 = {"data/mapa.pak": b"1" * 3000}, {"data/mapa.pak": b"2" * 3000}
BAD = "la firma no es de la clave de este launcher o el archivo ha cambiado"
STEPS = [  # (signed manifest, sidecar) -> what the site serves instead (sidecar None: none), version.txt, refusal
    (lambda m, s: (m.replace(b"\n  ", b"\n \t", 1), s), b"1.0.0", BAD),
    (lambda m, s: (m, None), b"1.0.0", "no se pudo descargar su firma manifest.json.firma"),
    (lambda m, s: (m, b"\x00\xffbasura\n" * 20), b"1.0.0", "su firma manifest.json.firma no se puede leer"),
    (lambda m, s: (m, s), b"3.0.0", "es de la version 2.0.0, anterior a la instalada 3.0.0"),
    (lambda m, s: (m, s), b"1.0.0", None),
]


def test_only_what_the_key_signed_is_installed(site, tmp_path):
    publicar("clave", "--privada", tmp_path / "otra.pem", "--publica", tmp_path / "otra.txt")
    for version, files in (("1.0.0", V1), ("2.0.0", V2)):
        url = site.publish_game("firmado", make_client(tmp_path / version, files), version,
                                "--clave", tmp_path / "otra.pem", "--clave", KEY)
    names = [site.root / "firmado/2.0.0" / name for name in ("manifest.json", "manifest.json.firma")]
    signed = [name.read_bytes() for name in names]
    game = GameFolder(tmp_path / "game", KEYED.name, files=V1, url=url)
    for tamper, installed, refusal in STEPS:
        manifest, sidecar = tamper(*signed)
        names[0].write_bytes(manifest)
        names[1].write_bytes(sidecar) if sidecar is not None else names[1].unlink()
        (game.path / "version.txt").write_bytes(installed)
        (game.path / "launcher_log.txt").unlink(missing_ok=True)
        result, lines = game.run("/actualizar"), game.log_lines()
        assert result.returncode == (0 if refusal is None else 1), f"refused: {refusal}; installed: {lines}"
        assert (game.path / "data/mapa.pak").read_bytes() == (V2 if refusal is None else V1)["data/mapa.pak"]
        assert ("manifest.json rechazado: " + refusal if refusal else "Firma de manifest.json valida") in lines

    # launcher.json signed by the other key only is refused; signed by the tests' key, the new build is installed.
    newer = tmp_path / "newer.exe"
    newer.write_bytes(KEYED.read_bytes() + b"\0another build")
    site.publish_launcher("firmado", newer, "--clave", tmp_path / "otra.pem")
    (game.path / "launcher_log.txt").unlink()
    first = LauncherWindow(game.path)
    wait_for(lambda: "Firma de manifest.json valida" in game.log_lines(), what="the check going on")
    assert "launcher.json rechazado: " + BAD in game.log_lines(), "launcher.json signed by another key is refused"
    first.click(*controls("es").centre(CLOSE))
    assert first.wait() == 0 and (game.path / "launcher.exe").read_bytes() == KEYED.read_bytes()

    site.publish_launcher("firmado", newer, "--clave", KEY)
    second = LauncherWindow(game.path)
    assert second.wait() == 0, "the old launcher ends once the new one is started"
    wait_for(lambda: [line for line in game.log_lines() if line.startswith("Borrado el launcher anterior")],
             what="the new launcher removing the old one")
    assert (game.path / "launcher.exe").read_bytes() == newer.read_bytes(), "the new build in place"
    assert not (game.path / "launcher.exe.viejo").exists()
    second.window = LauncherWindow.find()
    second.click(*controls("es").centre(CLOSE))  # the new window's close button
    wait_for(no_window_shown, what="the new window to close")
