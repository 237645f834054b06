"""Drawing helpers shared by the art generators: cairo canvases read back as float arrays, blurs,
noise and compositing. Everything is seeded and uses no clock, so a render is byte-for-byte repeatable."""
import math

import cairo
import numpy as np
from PIL import Image

CARDO_BOLD = "/usr/share/fonts/truetype/cardo/Cardob101.ttf"  # Debian fonts-cardo, SIL OFL 1.1
CARDO_REGULAR = "/usr/share/fonts/truetype/cardo/Cardo104s.ttf"


def hex_rgb(value):
    """'#rrggbb' as floats 0..1."""
    return tuple(int(value[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def canvas(width, height, scale=1):
    """A transparent cairo surface of width x height design units drawn at scale pixels per unit."""
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, int(width * scale), int(height * scale))
    ctx = cairo.Context(surface)
    ctx.scale(scale, scale)
    return surface, ctx


def pixels(surface, reduce=1):
    """Premultiplied RGBA floats 0..1 of a cairo surface, averaged over reduce x reduce blocks."""
    surface.flush()
    h, w = surface.get_height(), surface.get_width()
    data = np.ndarray((h, surface.get_stride() // 4, 4), np.uint8, surface.get_data())[:, :w]
    rgba = data[..., [2, 1, 0, 3]].astype(np.float32) / 255.0  # cairo keeps BGRA in memory
    if reduce > 1:
        rgba = rgba.reshape(h // reduce, reduce, w // reduce, reduce, 4).mean(axis=(1, 3))
    return rgba


def mask(draw, width, height, scale=1, reduce=1):
    """Coverage 0..1 of whatever draw(ctx) fills, as a height x width array."""
    surface, ctx = canvas(width * reduce, height * reduce, scale)
    ctx.scale(reduce, reduce)
    ctx.set_source_rgb(1, 1, 1)
    draw(ctx)
    return pixels(surface, reduce)[..., 3]


def to_image(premultiplied):
    """PIL RGBA image (straight alpha, 8 bits per channel) of premultiplied floats."""
    alpha = premultiplied[..., 3:4]
    rgb = np.where(alpha > 1e-6, premultiplied[..., :3] / np.maximum(alpha, 1e-6), 0.0)
    out = np.concatenate([rgb, alpha], axis=2)
    return Image.fromarray((np.clip(out, 0, 1) * 255 + 0.5).astype(np.uint8), "RGBA")


def to_rgb_image(rgb):
    return Image.fromarray((np.clip(rgb, 0, 1) * 255 + 0.5).astype(np.uint8), "RGB")


def over(dst, colour, coverage):
    """Paints an RGB(A) colour or per-pixel colour array over premultiplied RGBA dst with coverage."""
    a = coverage[..., None]
    col = np.asarray(colour, np.float32)
    if col.ndim == 1:
        col = col[None, None, :]
    dst[..., :3] = dst[..., :3] * (1 - a) + col[..., :3] * a
    dst[..., 3:4] = dst[..., 3:4] * (1 - a) + a
    return dst


def _box(a, r, axis):
    if r < 1:
        return a
    pad = [(0, 0)] * a.ndim
    pad[axis] = (r + 1, r)
    c = np.cumsum(np.pad(a, pad, mode="edge"), axis=axis, dtype=np.float64)
    n = a.shape[axis]
    hi = np.take(c, np.arange(2 * r + 1, 2 * r + 1 + n), axis=axis)
    lo = np.take(c, np.arange(0, n), axis=axis)
    return ((hi - lo) / (2 * r + 1)).astype(np.float32)


def blur(a, sigma):
    """Gaussian-like blur (three box passes) of a 2-D or 3-D array over its first two axes."""
    if sigma <= 0:
        return a
    r = max(1, int(round(math.sqrt(12 * sigma * sigma / 3 + 1) / 2)))
    for _ in range(3):
        a = _box(_box(a, r, 0), r, 1)
    return a


def noise(width, height, cells, rng, octaves=4, falloff=0.5):
    """Fractal value noise 0..1: octaves of bicubic-smoothed random grids, the first cells wide."""
    total = np.zeros((height, width), np.float32)
    amp, norm = 1.0, 0.0
    for o in range(octaves):
        cx = max(2, int(cells * 2 ** o))
        cy = max(2, int(round(cx * height / width)))
        grid = rng.rand(cy, cx).astype(np.float32)
        total += amp * np.asarray(Image.fromarray(grid, "F").resize((width, height), Image.BICUBIC))
        norm += amp
        amp *= falloff
    return np.clip(total / norm, 0, 1)


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


def catmull_rom(points, steps):
    """Points of a Catmull-Rom spline through points (x, y), steps per span."""
    pts = [points[0]] + list(points) + [points[-1]]
    out = []
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = (np.array(p, float) for p in pts[i - 1:i + 3])
        for s in range(steps):
            t = s / steps
            out.append(0.5 * ((2 * p1) + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t
                              + (-p0 + 3 * p1 - 3 * p2 + p3) * t ** 3))
    out.append(np.array(points[-1], float))
    return np.array(out)


def polygon(ctx, pts):
    ctx.move_to(*pts[0])
    for p in pts[1:]:
        ctx.line_to(*p)
    ctx.close_path()


def rounded_rect(ctx, x, y, w, h, r):
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 1.5 * math.pi)
    ctx.close_path()


def star(ctx, cx, cy, r, points=5, inner=0.381966, angle=-math.pi / 2):
    """A star polygon with its first point at angle."""
    ctx.new_sub_path()
    for i in range(points * 2):
        rr = r if i % 2 == 0 else r * inner
        a = angle + i * math.pi / points
        ctx.line_to(cx + rr * math.cos(a), cy + rr * math.sin(a))
    ctx.close_path()
