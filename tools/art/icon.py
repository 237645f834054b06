"""The application icon: the logo's emblem, with a bolder simplified drawing for the small sizes, stored
as a .ico whose frames are 8-bit RGBA PNG files (Wine's loader rejects 16-bit PNG frames)."""
import io
import math
import struct

import cairo
from PIL import Image

import logo
from common import canvas, hex_rgb, pixels, to_image

SIZES = [16, 24, 32, 48, 64, 128, 256]
SIMPLE_UP_TO = 48  # below this the emblem's rays and notches would only be noise


def simple(size):
    """A bold emblem for tiny sizes: thick gold ring, dark field, gold eye with an amber slit-pupil iris."""
    surface, ctx = canvas(size, size, 8)
    c = size / 2.0
    gold = cairo.LinearGradient(0, 0, size, size)
    for stop, colour in ((0.0, "#fff2c0"), (0.45, "#d4af37"), (1.0, "#6b4e0e")):
        gold.add_color_stop_rgb(stop, *hex_rgb(colour))
    ctx.set_source(gold)
    ctx.arc(c, c, c - 0.25, 0, 2 * math.pi)
    ctx.fill()
    rim = max(1.5, size * 0.09)
    field = cairo.RadialGradient(c, c, 0, c, c, c - rim)
    field.add_color_stop_rgb(0, *hex_rgb("#1c3346"))
    field.add_color_stop_rgb(1, *hex_rgb("#060b12"))
    ctx.set_source(field)
    ctx.arc(c, c, c - rim, 0, 2 * math.pi)
    ctx.fill()

    def almond(a, b):
        radius = (a * a + b * b) / (2 * b)
        half = math.asin(a / radius)
        ctx.new_sub_path()
        ctx.arc(c, c + radius - b, radius, -math.pi / 2 - half, -math.pi / 2 + half)
        ctx.arc(c, c - radius + b, radius, math.pi / 2 - half, math.pi / 2 + half)
        ctx.close_path()
    ctx.set_source(gold)
    almond(size * 0.41, size * 0.235)
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#0c1016"))
    lid = max(1.0, size * 0.06)
    almond(size * 0.41 - lid * 1.8, size * 0.235 - lid)
    ctx.fill()
    iris = cairo.RadialGradient(c - size * 0.03, c - size * 0.03, 0, c, c, size * 0.165)
    for stop, colour in ((0.0, "#ffe07a"), (0.6, "#e08a1e"), (1.0, "#7a3a06")):
        iris.add_color_stop_rgb(stop, *hex_rgb(colour))
    ctx.set_source(iris)
    ctx.arc(c, c, size * 0.165, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(0.02, 0.0, 0.0)
    ctx.save()
    ctx.translate(c, c)
    ctx.scale(max(0.7, size * 0.035), size * 0.14)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    ctx.fill()
    return to_image(pixels(surface, 8))


def frames():
    emblem = to_image(logo.render(lettering=False))
    half = 177
    crop = emblem.crop((int(logo.CX) - half, int(logo.CY) - half, int(logo.CX) + half, int(logo.CY) + half))
    return [simple(s) if s <= SIMPLE_UP_TO else crop.resize((s, s), Image.LANCZOS) for s in SIZES]


def ico_bytes(images):
    """An .ico holding each image as a PNG frame, smallest first."""
    blobs = []
    for image in images:
        buffer = io.BytesIO()
        image.save(buffer, "PNG")
        blobs.append(buffer.getvalue())
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for image, blob in zip(images, blobs):
        w, h = image.size
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return header + entries + b"".join(blobs)


def preview(images):
    """The frames side by side on the window's dark fill, each also enlarged so its pixels can be judged."""
    sheet = Image.new("RGBA", (sum(SIZES) + 10 * len(SIZES) + 10, 4 * 48 + 286), (8, 17, 26, 255))
    x = 10
    for image in images:
        sheet.alpha_composite(image, (x, 10))
        x += image.size[0] + 10
    for i, s in enumerate((16, 24, 32, 48)):
        big = images[SIZES.index(s)].resize((s * 4, s * 4), Image.NEAREST)
        sheet.alpha_composite(big, (10 + i * 150, 276))
    return sheet

