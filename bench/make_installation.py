#!/usr/bin/env python3
"""Writes a client installation of N files in nested folders (about 2 GB for 20,000 files) and a site that
publishes it (latest.txt, manifest.json). Usage: make_installation.py N GAME_DIR SITE_DIR

The manifest is written here rather than with publicar.py, whose patch.zip of 2 GB would take minutes and is
not what the verification run reads. Files are made once; a second call with the same N reuses them."""
import hashlib
import os
import random
import sys

BLOCK = os.urandom(1 << 20)


def sizes(count):
    rng = random.Random(20000)
    big = max(1, count // 200)  # a few large archives, the rest small models, textures and sounds
    for i in range(count):
        yield rng.randint(2 << 20, 8 << 20) if i % (count // big) == 0 else int(rng.lognormvariate(10.6, 1.0)) + 1


def main():
    count, game, site = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    os.makedirs(os.path.join(site, "1.0.0"), exist_ok=True)
    marker = os.path.join(game, ".generated")
    entries = []
    kinds = ("modelos", "texturas", "sonidos", "mapas")
    for i, size in enumerate(sizes(count)):
        rel = f"data/zona{i % 40:02d}/{kinds[i % 4]}/sub{i % 7}/objeto_{i:05d}.pak"
        path = os.path.join(game, rel)
        if not os.path.exists(marker):
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                offset = (i * 7919) % len(BLOCK)
                remaining = size
                while remaining:
                    piece = BLOCK[offset:offset + remaining] or BLOCK[:remaining]
                    f.write(piece)
                    remaining -= len(piece)
                    offset = 0
        digest = hashlib.sha256()
        with open(path, "rb") as f:
            for chunk in iter(lambda: f.read(1 << 20), b""):
                digest.update(chunk)
        entries.append(f'    "{rel}": {{"hash": "{digest.hexdigest()}", "tamano": {os.path.getsize(path)}}}')
    open(marker, "w").close()
    with open(os.path.join(site, "1.0.0", "manifest.json"), "w", newline="\n") as f:
        f.write('{\n  "version": "1.0.0",\n  "almacen": false,\n  "files": {\n' + ",\n".join(entries) + "\n  }\n}\n")
    with open(os.path.join(site, "latest.txt"), "w", newline="\n") as f:
        f.write("1.0.0\n")
    total = sum(os.path.getsize(os.path.join(game, e.split('"')[1])) for e in entries)
    print(f"{count} files, {total / 1e9:.2f} GB")


if __name__ == "__main__":
    main()
