#!/usr/bin/env python3
"""Writes a manifest.json with N file entries, shaped as the publisher writes them. Usage: make_manifest.py N OUT"""
import hashlib
import sys


def main():
    count, out = int(sys.argv[1]), sys.argv[2]
    lines = ['{\n  "version": "9.9.9",\n  "almacen": true,\n  "files": {\n']
    for i in range(count):
        digest = hashlib.sha256(str(i).encode()).hexdigest()
        comma = "," if i + 1 < count else ""
        lines.append(f'    "data/zona{i % 97:02d}/modelos/objeto_{i:06d}.pak": '
                     f'{{"hash": "{digest}", "tamano": {(i * 7919) % 5000000}}}{comma}\n')
    lines.append("  }\n}\n")
    with open(out, "w", newline="\n") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
