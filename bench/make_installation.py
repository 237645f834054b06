#!/usr/bin/env python3
"""Writes a client installation of COUNT files of MIN to MAX bytes in folders of 200, a site that publishes it
(latest.txt, 1.0.0/manifest.json) and the list of its paths (GAME_DIR.list, one per line, for reference loops).
Usage: make_installation.py COUNT MIN MAX GAME_DIR SITE_DIR

The manifest is written here rather than with publicar.py, whose patch.zip would take minutes and is not what the
verification run reads. Files are made once; a second call with the same arguments reuses them."""
import hashlib
import os
import random
import shutil
import sys


def main():
    count, low, high = (int(a) for a in sys.argv[1:4])
    game, site = sys.argv[4], sys.argv[5]
    marker = os.path.join(game, ".generated")
    wanted = f"2 {count} {low} {high}"
    fresh = not (os.path.exists(marker) and open(marker).read() == wanted)
    if fresh:
        shutil.rmtree(game, ignore_errors=True)
    os.makedirs(os.path.join(site, "1.0.0"), exist_ok=True)
    rng = random.Random(count)
    block = rng.randbytes(1 << 20)
    entries, paths = [], []
    for i in range(count):
        rel = f"data/zona{i // 200:03d}/objeto_{i:06d}.pak"
        size = rng.randint(low, high)
        start = i % 4096
        body = block[start:start + size] if start + size <= len(block) else (block * (size // len(block) + 2))[start:start + size]
        if fresh:
            os.makedirs(os.path.dirname(os.path.join(game, rel)), exist_ok=True)
            with open(os.path.join(game, rel), "wb") as f:
                f.write(body)
        entries.append(f'    "{rel}": {{"hash": "{hashlib.sha256(body).hexdigest()}", "tamano": {size}}}')
        paths.append(rel.replace("/", "\\"))
    with open(marker, "w") as f:
        f.write(wanted)
    with open(os.path.join(site, "1.0.0", "manifest.json"), "w", newline="\n") as f:
        f.write('{\n  "version": "1.0.0",\n  "almacen": false,\n  "files": {\n' + ",\n".join(entries) + "\n  }\n}\n")
    with open(os.path.join(site, "latest.txt"), "w", newline="\n") as f:
        f.write("1.0.0\n")
    with open(game.rstrip("/") + ".list", "w", newline="\r\n") as f:
        f.write("\n".join(paths) + "\n")


if __name__ == "__main__":
    main()
