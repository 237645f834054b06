"""The window background, 1920 x 1080: a moonlit night. A full moon rises behind a hill where three travellers
stand, a long jade dragon winds across the sky towards it and a blossoming branch reaches in from the right.
The left edge (logo) and the bottom (status text, progress bar, main button) are kept quiet."""

import numpy as np
from PIL import Image

import dragon
import scenery
from common import blur, canvas, hex_rgb, noise, pixels, smoothstep

W, H = 1920, 1080
MOON = (1310.0, 400.0, 165.0)  # centre x, centre y, radius


def mix(a, b, t):
    t = np.asarray(t, np.float32)[..., None] if np.ndim(t) else t
    return a * (1 - t) + b * t


def col(value):
    return np.array(hex_rgb(value), np.float32)


def paint(img, colour, coverage):
    a = coverage[..., None]
    img *= 1 - a
    img += np.asarray(colour, np.float32) * a


def layer(draw):
    """Premultiplied RGBA floats of whatever draw(ctx) paints on a transparent 1920 x 1080 canvas."""
    surface, ctx = canvas(W, H)
    draw(ctx)
    return pixels(surface)


def composite(img, rgba):
    img *= 1 - rgba[..., 3:4]
    img += rgba[..., :3]


def sky(x, y, moon_d):
    t = y / H
    top, mid, low = col("#03060e"), col("#0a1a2c"), col("#1b3550")
    base = np.where((t < 0.5)[..., None], mix(top, mid, t / 0.5), mix(mid, low, np.clip((t - 0.5) / 0.25, 0, 1)))
    glow = np.exp(-(moon_d / 330.0) ** 2) * 0.55 + np.exp(-(moon_d / 900.0) ** 2) * 0.22
    return base + glow[..., None] * col("#6f8eab")


def stars(rng, moon_d, y):
    field = np.zeros((H, W), np.float32)
    n = 1500
    xs, ys = rng.randint(0, W, n), (rng.rand(n) ** 1.35 * H * 0.7).astype(int)
    power = rng.rand(n) ** 6 * 1.6 + 0.08
    np.add.at(field, (ys, xs), power)
    dots = blur(field, 0.6) * 2.6 + blur(field, 2.5) * 1.8
    dots *= smoothstep(200, 420, moon_d) * (1 - smoothstep(560, 760, y))
    tint = noise(W, H, 6, rng, 2)
    return dots[..., None] * mix(col("#b8ccff"), col("#ffe6c8"), tint)


def moon(x, y, rng):
    mx, my, r = MOON
    dx, dy = x - mx, y - my
    d = np.sqrt(dx * dx + dy * dy)
    disc = np.clip(r + 0.5 - d, 0, 1)
    mu = np.sqrt(np.clip(1 - (d / r) ** 2, 0, 1))
    maria = noise(W, H, 22, rng, 5, 0.6)
    spots = smoothstep(0.52, 0.64, maria) * 0.22 + smoothstep(0.45, 0.3, maria) * -0.06
    tone = (0.82 + 0.18 * mu) * (1 - spots) * (0.93 + 0.07 * np.clip(-dx / r, -1, 1))
    colour = mix(col("#c9cdc2"), col("#fff8e4"), np.clip(tone, 0, 1)) * tone[..., None]
    return disc, colour, d


def clouds(rng, y, moon_d, height_band, density, stretch=5):
    n = noise(W // stretch, H, 2, rng, 6, 0.55)
    n = np.asarray(Image.fromarray(n, "F").resize((W, H), Image.BICUBIC))
    n = (n - n.min()) / (n.max() - n.min())
    lo, hi = height_band
    band = smoothstep(lo - 60, lo + 40, y) * (1 - smoothstep(hi - 40, hi + 60, y))
    cover = smoothstep(1 - density, 1 - density + 0.22, n) * band
    lit = np.exp(-(moon_d / 420.0) ** 2) * 0.9 + 0.12
    thin = 1 - smoothstep(0.0, 0.9, cover)
    colour = mix(col("#18283a"), col("#aebdd0"), np.clip(lit * (0.45 + 0.55 * thin), 0, 1))
    return cover, colour


def ridge(rng, base, amplitude, cells, rough=0.5):
    """A mountain skyline: y of the ridge for every column."""
    line = np.zeros(W, np.float32)
    amp = 1.0
    for o in range(6):
        k = int(cells * 2 ** o) + 2
        pts = rng.rand(k)
        line += amp * np.interp(np.linspace(0, k - 1, W), np.arange(k), pts)
        amp *= rough
    line = (line - line.min()) / (line.max() - line.min())
    return base - amplitude * line


def render(seed=20261206):
    rng = np.random.RandomState(seed)
    ys, xs = np.mgrid[0:H, 0:W].astype(np.float32)
    mx, my, mr = MOON
    moon_d = np.sqrt((xs - mx) ** 2 + (ys - my) ** 2)

    img = sky(xs, ys, moon_d)
    img += stars(rng, moon_d, ys)
    disc, mcol, _ = moon(xs, ys, rng)
    paint(img, mcol, disc)

    cover, ccol = clouds(rng, ys, moon_d, (110, 330), 0.5)
    paint(img, ccol, cover * 0.75 * smoothstep(520, 900, xs))

    # Distant ranges, each hazier and lighter with distance; mist pools at their feet.
    for base, amp, cells, colour, haze in ((700, 170, 3, "#20384f", 0.65), (800, 150, 4, "#142638", 0.4),
                                          (900, 120, 5, "#0b1624", 0.15)):
        top = ridge(rng, base, amp, cells)
        body = np.clip(ys - top[None, :] + 0.5, 0, 1)
        light = np.exp(-(((xs - mx) / 700.0) ** 2)) * haze
        shade = mix(col(colour), col("#6d87a0"), light * 0.5)
        paint(img, shade, body)
        mist = np.exp(-((ys - base - 20) / 45.0) ** 2) * (0.25 + 0.5 * noise(W, H, 4, rng, 3))
        paint(img, col("#3b5773"), mist * 0.45)

    front = layer(dragon.draw)
    composite(img, front)
    cover, ccol = clouds(rng, ys, moon_d, (420, 540), 0.5, 6)
    paint(img, ccol, cover * 0.85 * smoothstep(500, 800, xs))

    composite(img, layer(scenery.draw_hill))
    composite(img, layer(scenery.draw_branch))

    # Soft vignette and a whisper of grain so the gradients do not band after JPEG compression.
    vignette = 1 - 0.35 * smoothstep(0.55, 1.25, np.sqrt(((xs - W * 0.55) / W) ** 2 * 2.2 + ((ys - H * 0.45) / H) ** 2 * 2.2))
    img *= vignette[..., None]
    img += (rng.rand(H, W, 1).astype(np.float32) - 0.5) / 255.0 * 1.5
    return np.clip(img, 0, 1)
