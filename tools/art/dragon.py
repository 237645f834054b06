"""A long jade dragon in moonlight, drawn with cairo: a shaded, scaled body along a spline from the tail to
the head, dorsal spines, belly plates, clawed legs, antlers, whiskers and a mane."""
import math

import cairo
import numpy as np

from common import catmull_rom, hex_rgb, polygon

# Spine from the head (facing the moon) back to the tail tip, in background pixels.
SPINE = [(1128, 300), (1058, 248), (982, 236), (922, 276), (876, 338), (812, 370), (742, 344), (704, 280),
         (662, 246), (614, 262), (592, 324), (614, 392), (668, 436), (726, 466), (768, 514), (786, 566)]
DORSAL, BODY, SHADOW = hex_rgb("#9cc4ba"), hex_rgb("#2f5a58"), hex_rgb("#0d1d24")
BELLY, BELLY_DARK = hex_rgb("#b59a5a"), hex_rgb("#4d3d1c")
SPINE_COLOUR, HORN, WHISKER = hex_rgb("#152a30"), hex_rgb("#e0cf9c"), hex_rgb("#d8c27a")


def width(t):
    """Body width along the spine, t from 0 at the head to 1 at the tail tip."""
    neck = 30 + 18 * min(1.0, t / 0.16)
    return neck * (1 - max(0.0, (t - 0.45) / 0.55) ** 1.4 * 0.88)


def frames():
    pts = catmull_rom(SPINE, 40)
    seg = np.linalg.norm(np.diff(pts, axis=0), axis=1)
    s = np.concatenate([[0], np.cumsum(seg)])
    # Resample evenly every 2 pixels so scales and spines are spaced evenly.
    even = np.arange(0, s[-1], 2.0)
    pts = np.stack([np.interp(even, s, pts[:, 0]), np.interp(even, s, pts[:, 1])], axis=1)
    forward = np.gradient(-pts, axis=0)  # towards the head
    forward /= np.linalg.norm(forward, axis=1)[:, None]
    dorsal = np.stack([forward[:, 1], -forward[:, 0]], axis=1)
    t = even / even[-1]
    w = np.array([width(v) for v in t])
    return pts, forward, dorsal, t, w


def tapered(ctx, pts, w0, w1):
    """A stroke along pts that narrows from w0 to w1, as one filled outline."""
    pts = np.asarray(pts, float)
    d = np.gradient(pts, axis=0)
    d /= np.maximum(np.linalg.norm(d, axis=1)[:, None], 1e-6)
    n = np.stack([-d[:, 1], d[:, 0]], axis=1)
    ws = np.linspace(w0, w1, len(pts))[:, None] / 2
    polygon(ctx, list(pts + n * ws) + list((pts - n * ws)[::-1]))


def wisp(ctx, base, direction, length, w, curl):
    """A flame-like tuft of mane: a curved tapered blade."""
    bx, by = base
    dx, dy = direction
    nx, ny = -dy, dx
    pts = [(bx + dx * length * k + nx * curl * length * k * k, by + dy * length * k + ny * curl * length * k * k)
           for k in np.linspace(0, 1, 12)]
    tapered(ctx, pts, w, 0.5)


def body(ctx, pts, forward, dorsal, t, w):
    n = len(pts)
    for i in range(n - 2, -1, -1):  # tail first, so the body nearer the head lies on top where it crosses
        a, b = max(i - 1, 0), min(i + 2, n - 1)
        half_a, half_b = w[a] / 2, w[b] / 2
        quad = [pts[a] + dorsal[a] * half_a, pts[b] + dorsal[b] * half_b,
                pts[b] - dorsal[b] * half_b, pts[a] - dorsal[a] * half_a]
        up = pts[i] + dorsal[i] * w[i] / 2
        down = pts[i] - dorsal[i] * w[i] / 2
        grad = cairo.LinearGradient(up[0], up[1], down[0], down[1])
        grad.add_color_stop_rgb(0.0, *DORSAL)
        grad.add_color_stop_rgb(0.16, *BODY)
        grad.add_color_stop_rgb(0.56, *SHADOW)
        grad.add_color_stop_rgb(0.64, *BELLY)
        grad.add_color_stop_rgb(1.0, *BELLY_DARK)
        polygon(ctx, quad)
        ctx.set_source(grad)
        ctx.fill()
    for i in range(n - 2, -1, -1):  # plates and scales over the finished body
        if i % 4 == 0:  # belly plates
            p0, p1 = pts[i] - dorsal[i] * w[i] * 0.12, pts[i] - dorsal[i] * w[i] * 0.48
            ctx.move_to(*p0)
            ctx.line_to(*p1)
            ctx.set_source_rgba(0.16, 0.11, 0.03, 0.75)
            ctx.set_line_width(1.5)
            ctx.stroke()
        if i % 4 == 0 and t[i] < 0.97:  # rows of scales, staggered
            for row, v in enumerate((0.34, 0.14, -0.06)):
                if (i // 4 + row) % 2:
                    continue
                c = pts[i] + dorsal[i] * w[i] * v
                r = w[i] * 0.1
                ang = math.atan2(forward[i][1], forward[i][0])
                ctx.new_path()
                ctx.arc(c[0], c[1], r, ang + math.pi * 0.5, ang + math.pi * 1.5)
                ctx.set_source_rgba(0.02, 0.06, 0.07, 0.45)
                ctx.set_line_width(1.1)
                ctx.stroke()
                ctx.arc(c[0] - forward[i][0], c[1] - forward[i][1], r, ang + math.pi * 0.7, ang + math.pi * 1.1)
                ctx.set_source_rgba(0.75, 0.9, 0.85, 0.22 * (1 - t[i]))
                ctx.set_line_width(0.9)
                ctx.stroke()
    ctx.new_path()


def spines(ctx, pts, forward, dorsal, t, w):
    step = 16
    for i in range(len(pts) - 1 - step, 20, -step):
        if t[i] > 0.93:
            continue
        base = pts[i] + dorsal[i] * w[i] * 0.44
        size = w[i] * 0.42
        tip = base + dorsal[i] * size - forward[i] * size * 0.9
        polygon(ctx, [base + forward[i] * 6, tip, base - forward[i] * 7])
        ctx.set_source_rgb(*SPINE_COLOUR)
        ctx.fill_preserve()
        ctx.set_source_rgba(*DORSAL, 0.55)
        ctx.set_line_width(0.9)
        ctx.stroke()


def leg(ctx, pts, forward, dorsal, w, i, reach, lift):
    """One leg: shoulder on the body, an elbow tufted with mane, a foot of four ivory talons."""
    f, d = forward[i], dorsal[i]
    shoulder = pts[i] - d * w[i] * 0.2
    elbow = shoulder - d * reach * 0.7 - f * reach * 0.55
    foot = elbow + f * reach * 0.75 - d * reach * lift
    ctx.set_source_rgb(*BODY)
    for k in range(3):  # tufts of mane at the elbow
        wisp(ctx, elbow, -f * 0.8 - d * 0.3 * (k - 1), 30 - k * 4, 8, 0.35)
        ctx.fill()
    limb = [shoulder, (shoulder + elbow) / 2 - f * 4, elbow, (elbow + foot) / 2, foot]
    tapered(ctx, limb, w[i] * 0.55, w[i] * 0.2)
    ctx.set_source_rgb(*[c * 0.8 for c in BODY])
    ctx.fill_preserve()
    ctx.set_source_rgba(*DORSAL, 0.6)
    ctx.set_line_width(1.2)
    ctx.stroke()
    for k in range(4):  # splayed talons
        ang = math.atan2(f[1], f[0]) + (k - 1.5) * 0.45
        wisp(ctx, foot, (math.cos(ang), math.sin(ang)), 20, 4.5, -0.6)
        ctx.set_source_rgb(*HORN)
        ctx.fill()


def head(ctx, p, f):
    ctx.save()
    ctx.translate(*p)
    ctx.rotate(math.atan2(f[1], f[0]))
    ctx.scale(1.2, 1.2)
    # Mane along the neck and behind the jaw, under the head.
    ctx.set_source_rgb(*SPINE_COLOUR)
    for k in range(9):
        wisp(ctx, (-4 - k * 9, -18 + k * 1.5), (-0.8, -0.6 + k * 0.06), 44 - k * 2.5, 12, 0.5)
        ctx.fill()
    for k in range(5):
        wisp(ctx, (14 - k * 8, 20), (-0.7, 0.72), 36 - k * 3, 10, -0.45)
        ctx.fill()
    # Antlers sweeping back, each with a tine.
    for dy, scale, shade in ((-6, 0.9, 0.62), (0, 1.0, 1.0)):
        pts = [(34 - k * 13, -24 + dy - k * 1.5 - k * k * 0.42) for k in range(9)]
        grad = cairo.LinearGradient(40, -30, -40, -90)
        grad.add_color_stop_rgb(0, *[c * shade for c in HORN])
        grad.add_color_stop_rgb(1, *[c * shade * 0.6 for c in HORN])
        ctx.set_source(grad)
        tapered(ctx, [(x * scale, y * scale) for x, y in pts], 10, 1.5)
        ctx.fill()
        tapered(ctx, [(-30 * scale, -42 * scale), (-30 * scale, -58 * scale), (-22 * scale, -70 * scale)], 5, 1)
        ctx.fill()
    # Skull with an open jaw.
    grad = cairo.LinearGradient(0, -30, 0, 28)
    grad.add_color_stop_rgb(0, *DORSAL)
    grad.add_color_stop_rgb(0.28, *BODY)
    grad.add_color_stop_rgb(1, *SHADOW)
    ctx.move_to(-6, -24)
    ctx.curve_to(14, -30, 34, -34, 50, -28)
    ctx.curve_to(62, -24, 70, -18, 88, -15)
    ctx.curve_to(104, -13, 114, -10, 116, -2)
    ctx.curve_to(117, 4, 110, 6, 100, 5)
    ctx.line_to(66, 6)
    ctx.line_to(100, 20)
    ctx.curve_to(104, 24, 98, 28, 88, 27)
    ctx.curve_to(64, 27, 40, 30, 20, 28)
    ctx.curve_to(8, 27, 0, 25, -6, 22)
    ctx.close_path()
    ctx.set_source(grad)
    ctx.fill()
    # Mouth, teeth, nostril, brow and a glowing eye.
    ctx.move_to(66, 6)
    ctx.line_to(100, 5)
    ctx.line_to(100, 8)
    ctx.line_to(97, 18)
    ctx.close_path()
    ctx.set_source_rgb(*hex_rgb("#5a1016"))
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#f3ead2"))
    for x0, y0, dy in ((96, 5, 5), (88, 5, 4), (80, 5.5, 3.5), (94, 18, -4.5), (86, 15, -3.5)):
        polygon(ctx, [(x0 - 1.8, y0), (x0 + 1.8, y0), (x0, y0 + dy)])
        ctx.fill()
    ctx.set_source_rgb(*SPINE_COLOUR)
    ctx.arc(104, -8, 3, 0, 2 * math.pi)
    ctx.fill()
    ctx.move_to(30, -24)
    ctx.curve_to(42, -30, 56, -26, 64, -18)
    ctx.set_line_width(3.5)
    ctx.set_source_rgba(*DORSAL, 0.9)
    ctx.stroke()
    glow = cairo.RadialGradient(48, -14, 0, 48, -14, 16)
    glow.add_color_stop_rgba(0, 1.0, 0.85, 0.4, 0.55)
    glow.add_color_stop_rgba(1, 1.0, 0.85, 0.4, 0.0)
    ctx.set_source(glow)
    ctx.arc(48, -14, 16, 0, 2 * math.pi)
    ctx.fill()
    ctx.save()
    ctx.translate(48, -14)
    ctx.scale(8, 4.2)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgb(*hex_rgb("#ffd257"))
    ctx.fill()
    ctx.save()
    ctx.translate(49, -14)
    ctx.scale(1.3, 4)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgb(0.05, 0.02, 0.0)
    ctx.fill()
    # Long whiskers flowing back from the snout.
    ctx.set_source_rgba(*WHISKER, 0.9)
    for phase, droop in ((0.0, 7.0), (1.3, 5.0)):
        pts = [(112 - k * 10, -2 + k * droop + 12 * math.sin(k / 14 * 2 * math.pi + phase) - 12 * math.sin(phase))
               for k in range(15)]
        tapered(ctx, pts, 3.2, 0.5)
        ctx.fill()
    ctx.restore()


def draw(ctx):
    pts, forward, dorsal, t, w = frames()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    # Hind legs and tail tuft lie under the body; the fore legs over it.
    n = len(pts)
    leg(ctx, pts, forward, dorsal, w, int(n * 0.58), 60, 0.25)
    tip, back = pts[-1], -forward[-1]
    ctx.set_source_rgb(*SPINE_COLOUR)
    for k in range(5):
        ang = math.atan2(back[1], back[0]) + (k - 2) * 0.3
        wisp(ctx, tip - back * 12, (math.cos(ang), math.sin(ang)), 58 - abs(k - 2) * 10, 10, 0.4)
        ctx.fill()
    spines(ctx, pts, forward, dorsal, t, w)
    body(ctx, pts, forward, dorsal, t, w)
    leg(ctx, pts, forward, dorsal, w, int(n * 0.17), 64, 0.3)
    leg(ctx, pts, forward, dorsal, w, int(n * 0.64), 54, 0.2)
    head(ctx, pts[0] + forward[0] * 4, forward[0])
