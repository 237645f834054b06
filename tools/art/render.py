#!/usr/bin/python3
"""Renders the launcher's art into src/resources/: background.jpg, logo.png, flags.png and launcher.ico.
With --preview DIR it also writes pictures for people to judge the art as the window shows it: the window's
first screen at 960 x 540, the flags at the sizes the language button and list draw them, the icon frames.

Needs Debian's python3-pil, python3-numpy, python3-cairo and fonts-cardo (scripts/bootstrap installs them).
The output is the same on every run: everything random is seeded."""
import argparse
import io
import os
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import background  # noqa: E402
import flags  # noqa: E402
import icon  # noqa: E402
import logo  # noqa: E402
from common import to_image, to_rgb_image  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "src", "resources")


def png_bytes(image):
    buffer = io.BytesIO()
    image.save(buffer, "PNG", optimize=True)
    return buffer.getvalue()


def window_preview(bg, logo_image):
    """The picture as the window composes it: stretched to 960 x 540 under the darkening gradient, the logo
    210 wide at (40, 30)."""
    small = np.asarray(bg.resize((960, 540), Image.BICUBIC), np.float32) / 255
    y = (np.arange(540) + 0.5) / 540
    alpha = np.interp(y, [0, 0.3, 0.7, 1], [0x26 / 255, 0, 0x96 / 255, 0xEE / 255])[:, None, None]
    small = small * (1 - alpha) + np.array([0x08, 0x11, 0x1A]) / 255 * alpha
    window = to_rgb_image(small).convert("RGBA")
    window.alpha_composite(logo_image.resize((210, round(210 * logo_image.height / logo_image.width)), Image.BICUBIC),
                           (40, 30))
    return window


def flags_preview(sprite):
    """Each flag at 48 x 32, at 22.5 x 15 (button) and 21 x 14 (list), the small ones enlarged 4 times."""
    sheet = Image.new("RGBA", (16 * 60 + 10, 32 + 2 * 64 + 40), (6, 11, 17, 255))
    for i in range(16):
        cell = sprite.crop((i * 48, 0, i * 48 + 48, 32))
        x = 10 + i * 60
        sheet.alpha_composite(cell, (x, 10))
        for row, size in enumerate(((23, 15), (21, 14))):  # 22.5 wide rounds to 23 pixels at scale 1
            small = cell.resize(size, Image.BICUBIC).resize((size[0] * 2, size[1] * 2), Image.NEAREST)
            sheet.alpha_composite(small, (x, 52 + row * 64))
    return sheet


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR", help="also write preview pictures into DIR")
    args = parser.parse_args()

    bg = to_rgb_image(background.render())
    bg.save(os.path.join(OUT, "background.jpg"), "JPEG", quality=90, optimize=False, progressive=False)
    logo_image = to_image(logo.render())
    sprite = to_image(flags.render())
    for name, image in (("logo.png", logo_image), ("flags.png", sprite)):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(png_bytes(image))
    frames = icon.frames()
    with open(os.path.join(OUT, "launcher.ico"), "wb") as f:
        f.write(icon.ico_bytes(frames))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        window_preview(bg, logo_image).save(os.path.join(args.preview, "window.png"))
        flags_preview(sprite).save(os.path.join(args.preview, "flags.png"))
        icon.preview(frames).save(os.path.join(args.preview, "icon.png"))


if __name__ == "__main__":
    main()
