#!/usr/bin/env python3
"""Writes a patch.zip of COUNT files totalling about SIZE_MB (deflated, half compressible), for the extraction
benchmark. Usage: make_patch.py COUNT SIZE_MB OUT.zip"""
import os
import random
import sys
import zipfile


def main():
    count, size_mb, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    if os.path.exists(out):
        return
    rng = random.Random(5000)
    noise = os.urandom(1 << 20)
    mean = size_mb * (1 << 20) // count
    with zipfile.ZipFile(out + ".tmp", "w", zipfile.ZIP_DEFLATED, compresslevel=1) as archive:
        for i in range(count):
            size = max(1, int(rng.expovariate(1 / mean)))
            half = size // 2
            body = (noise * (half // len(noise) + 1))[(i * 7919) % 1000:][:half] + b"\0" * (size - half)
            archive.writestr(f"data/zona{i % 25:02d}/pack{i % 9}/archivo_{i:05d}.pak", body)
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    main()
