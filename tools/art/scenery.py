"""The hill with three small travellers before the moon, and the blossoming branch, drawn with cairo."""
import math

import cairo
import numpy as np

from common import catmull_rom, hex_rgb, polygon
from dragon import tapered

SILHOUETTE = hex_rgb("#03060a")
BARK, BARK_LIT = hex_rgb("#140e0e"), hex_rgb("#5b4d52")
PETAL_LIGHT, PETAL, PETAL_DARK = hex_rgb("#fbe6ee"), hex_rgb("#e9abc2"), hex_rgb("#a8456a")

HILL = [(560, 1090), (760, 900), (960, 740), (1120, 622), (1250, 558), (1330, 548), (1420, 566),
        (1560, 624), (1740, 690), (1940, 730)]


def hill(ctx):
    line = catmull_rom(HILL, 24)
    polygon(ctx, list(line) + [(1940, 1090)])
    ctx.set_source_rgb(*hex_rgb("#05090f"))
    ctx.fill()
    # Moonlight just catches the crest.
    ctx.move_to(*line[0])
    for p in line[1:]:
        ctx.line_to(*p)
    rim = cairo.LinearGradient(1000, 0, 1700, 0)
    rim.add_color_stop_rgba(0, 0.5, 0.6, 0.7, 0.0)
    rim.add_color_stop_rgba(0.45, 0.75, 0.82, 0.88, 0.55)
    rim.add_color_stop_rgba(1, 0.5, 0.6, 0.7, 0.0)
    ctx.set_source(rim)
    ctx.set_line_width(1.6)
    ctx.stroke()
    rng = np.random.RandomState(7)
    ctx.set_source_rgb(*hex_rgb("#05090f"))
    for p in line[::3]:
        for _ in range(3):
            x = p[0] + rng.uniform(-6, 6)
            h = rng.uniform(3, 9)
            lean = rng.uniform(-3, 3)
            polygon(ctx, [(x - 1.2, p[1] + 2), (x + lean, p[1] - h), (x + 1.2, p[1] + 2)])
            ctx.fill()


def figure(ctx, x, ground, height, pose):
    """A small cloaked traveller standing on the ground line, seen against the moon."""
    u = height / 44.0
    ctx.set_source_rgb(*SILHOUETTE)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    # Cloak, hood or hat, legs.
    polygon(ctx, [(x - 5 * u, ground - 34 * u), (x + 5 * u, ground - 34 * u), (x + 9 * u, ground - 8 * u),
                  (x + 3 * u, ground - 6 * u), (x - 3 * u, ground - 6 * u), (x - 9 * u, ground - 8 * u)])
    ctx.fill()
    ctx.set_line_width(3.2 * u)
    for dx in (-2.5, 2.5):
        ctx.move_to(x + dx * u, ground - 8 * u)
        ctx.line_to(x + dx * 1.3 * u, ground)
        ctx.stroke()
    ctx.arc(x, ground - 38 * u, 4.6 * u, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_line_width(2.6 * u)
    if pose == "staff":  # wide travelling hat and a staff
        polygon(ctx, [(x - 11 * u, ground - 38 * u), (x, ground - 46 * u), (x + 11 * u, ground - 38 * u)])
        ctx.fill()
        ctx.move_to(x + 5 * u, ground - 30 * u)
        ctx.line_to(x + 10 * u, ground - 24 * u)
        ctx.stroke()
        ctx.set_line_width(1.6 * u)
        ctx.move_to(x + 10 * u, ground - 44 * u)
        ctx.line_to(x + 10 * u, ground)
        ctx.stroke()
    elif pose == "lantern":  # a lantern held out on a pole, its warm light the only colour on the hill
        ctx.move_to(x - 4 * u, ground - 30 * u)
        ctx.line_to(x - 10 * u, ground - 26 * u)
        ctx.stroke()
        ctx.set_line_width(1.4 * u)
        ctx.move_to(x - 10 * u, ground - 26 * u)
        ctx.line_to(x - 20 * u, ground - 38 * u)
        ctx.stroke()
        lx, ly = x - 20 * u, ground - 32 * u
        glow = cairo.RadialGradient(lx, ly, 0, lx, ly, 26 * u)
        glow.add_color_stop_rgba(0, 1.0, 0.72, 0.32, 0.55)
        glow.add_color_stop_rgba(1, 1.0, 0.6, 0.2, 0.0)
        ctx.set_source(glow)
        ctx.arc(lx, ly, 26 * u, 0, 2 * math.pi)
        ctx.fill()
        ctx.set_source_rgb(1.0, 0.82, 0.45)
        ctx.rectangle(lx - 2.2 * u, ly - 3 * u, 4.4 * u, 6 * u)
        ctx.fill()
    else:  # pointing up at the dragon
        ctx.move_to(x + 3 * u, ground - 31 * u)
        ctx.line_to(x + 8 * u, ground - 40 * u)
        ctx.line_to(x + 11 * u, ground - 50 * u)
        ctx.stroke()


def pine(ctx, x, ground, height):
    """A small pine in silhouette: tiers of drooping boughs on a thin trunk."""
    ctx.set_source_rgb(*hex_rgb("#04080d"))
    ctx.rectangle(x - height * 0.03, ground - height * 0.3, height * 0.06, height * 0.3)
    ctx.fill()
    for k in range(5):
        top = ground - height * (1.0 - k * 0.16)
        half = height * (0.12 + k * 0.055)
        base = top + height * 0.3
        ctx.move_to(x, top)
        ctx.curve_to(x + half * 0.4, top + height * 0.12, x + half * 0.8, base - 4, x + half, base)
        ctx.line_to(x - half, base)
        ctx.curve_to(x - half * 0.8, base - 4, x - half * 0.4, top + height * 0.12, x, top)
        ctx.fill()


def draw_hill(ctx):
    hill(ctx)
    for x, ground, height in ((1012, 712, 64), (1052, 682, 84), (1090, 656, 56), (1590, 640, 70), (1632, 654, 52)):
        pine(ctx, x, ground + 6, height)
    figure(ctx, 1268, 553, 44, "staff")
    figure(ctx, 1306, 549, 46, "lantern")
    figure(ctx, 1344, 551, 36, "pointing")


def bough(ctx, pts, w0, w1):
    """A branch: dark bark with moonlight along its upper edge."""
    pts = catmull_rom(pts, 12)
    tapered(ctx, pts, w0, w1)
    ctx.set_source_rgb(*BARK)
    ctx.fill()
    lit = pts + np.array([0, -1.0]) * np.linspace(w0, w1, len(pts))[:, None] * 0.32
    tapered(ctx, lit, max(1.0, w0 * 0.22), 0.4)
    ctx.set_source_rgba(*BARK_LIT, 0.8)
    ctx.fill()
    return pts


def blossom(ctx, x, y, r, turn, open_=1.0):
    """A five-petalled flower, pale in the moonlight, with a dark heart and golden stamens."""
    for k in range(5):
        a = turn + k * 2 * math.pi / 5
        px, py = x + math.cos(a) * r * 0.55 * open_, y + math.sin(a) * r * 0.55 * open_
        grad = cairo.RadialGradient(x, y, r * 0.1, x, y, r * 1.1)
        grad.add_color_stop_rgb(0, *PETAL_DARK)
        grad.add_color_stop_rgb(0.3, *PETAL)
        grad.add_color_stop_rgb(0.8, *PETAL_LIGHT)
        grad.add_color_stop_rgb(1, *PETAL)
        ctx.save()
        ctx.translate(px, py)
        ctx.rotate(a)
        ctx.scale(r * 0.58, r * 0.46)
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source(grad)
        ctx.fill_preserve()
        ctx.set_source_rgba(*PETAL_DARK, 0.35)
        ctx.set_line_width(0.6)
        ctx.stroke()
    ctx.set_source_rgb(1.0, 0.86, 0.5)
    for k in range(7):
        a = turn + k * 0.9
        ctx.arc(x + math.cos(a) * r * 0.3, y + math.sin(a) * r * 0.3, max(0.7, r * 0.07), 0, 2 * math.pi)
        ctx.fill()


def draw_branch(ctx):
    rng = np.random.RandomState(11)
    main = bough(ctx, [(1950, 140), (1860, 168), (1760, 212), (1675, 238), (1590, 252), (1520, 268), (1462, 292)], 26, 3)
    # Short enough to stay below the title-bar buttons, whose labels its blossoms would cover.
    twigs = [bough(ctx, [(1770, 208), (1748, 188), (1726, 176), (1704, 168)], 9, 2),
             bough(ctx, [(1680, 236), (1655, 280), (1640, 322), (1612, 352)], 8, 2),
             bough(ctx, [(1600, 250), (1560, 222), (1530, 206)], 6, 1.5),
             bough(ctx, [(1860, 170), (1830, 226), (1822, 262)], 8, 2),
             bough(ctx, [(1530, 266), (1500, 236), (1486, 214)], 4, 1.2)]
    sprigs = [main[len(main) // 3:]] + twigs
    for pts in sprigs:
        for p in pts[::5]:
            if rng.rand() < 0.12:
                continue
            off = rng.uniform(-10, 10, 2)
            r = rng.uniform(8, 14)
            if rng.rand() < 0.22:  # buds
                ctx.set_source_rgb(*PETAL_DARK)
                ctx.arc(p[0] + off[0], p[1] + off[1], r * 0.35, 0, 2 * math.pi)
                ctx.fill()
            else:
                blossom(ctx, p[0] + off[0], p[1] + off[1], r, rng.uniform(0, 2 * math.pi), rng.uniform(0.8, 1.0))
    # A few petals drifting down through the sky.
    for _ in range(26):
        x, y = rng.uniform(980, 1760), rng.uniform(160, 620)
        ctx.save()
        ctx.translate(x, y)
        ctx.rotate(rng.uniform(0, math.pi))
        ctx.scale(rng.uniform(2.5, 4.2), rng.uniform(1.4, 2.2))
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source_rgba(*PETAL_LIGHT, rng.uniform(0.45, 0.85))
        ctx.fill()
