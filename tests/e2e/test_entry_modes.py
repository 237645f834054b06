"""The entry point's modes, driven through the real launcher.exe."""
import re
import time

from conftest import wine_path

STAMP = re.compile(r"^Build: [A-Z][a-z]{2} [ \d]\d \d{4} \d\d:\d\d:\d\d$")


def test_test_mode_without_client_reports_missing_file(game):
    result = game.run("/test")
    assert result.returncode == 2
    lines = game.log_lines()
    assert lines[0] == "=== MODO PRUEBA ==="
    assert STAMP.match(lines[1]), lines[1]
    assert lines[2] == "Directorio del launcher: " + wine_path(game.path) + "\\"
    assert lines[3] == "RESULTADO: qarlokclient.exe NO existe (error 2)"
    assert len(lines) == 4


def test_test_mode_returns_1_when_the_shell_refuses_the_client(game):
    (game.path / "qarlokclient.exe").write_bytes(b"not a program\r\n")
    assert game.run("/test").returncode == 1, "exit code 1 means the shell refused to start the client"
    refused = re.fullmatch(r"RESULTADO: ShellExecute FALLO con codigo (\d+)", game.log_lines()[-1])
    assert refused and int(refused[1]) <= 32, game.log_lines()[-1]


def test_test_mode_starts_client_from_launcher_folder(game, tmp_path):
    game.add_client()
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    result = game.run("/prueba", cwd=elsewhere)
    assert result.returncode == 0
    assert game.log_lines()[-1] == "RESULTADO: ShellExecute OK"
    # The log lands beside the executable, not in the working directory it was started from.
    assert not (elsewhere / "launcher_log.txt").exists()
    deadline = time.time() + 20
    while not game.client_starts() and time.time() < deadline:
        time.sleep(0.1)
    starts = game.client_starts()
    assert len(starts) == 1
    cwd = starts[0].split("|")[0]
    assert cwd.rstrip("\\").lower() == ("cwd=" + wine_path(game.path)).lower()


def test_config_with_prueba_runs_the_test_mode(game):
    assert game.run("/config /prueba").returncode == 2
    assert game.log_lines()[0] == "=== MODO PRUEBA ==="


def test_verificar_wins_over_test(game):
    game.add_client()
    assert game.run("/verificar /test").returncode == 0
    lines = game.log_lines()
    assert "=== MODO VERIFICAR ===" in lines
    assert "=== MODO PRUEBA ===" not in lines
    assert game.client_starts() == []


def test_two_runs_append_to_one_log(game):
    game.run("/test")
    game.run("/test")
    assert game.log_lines().count("=== MODO PRUEBA ===") == 2
