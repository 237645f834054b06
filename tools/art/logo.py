"""The logo: a gold-rimmed round emblem with a dragon's eye, above VANDREL in gold capitals and a subtitle.
Drawn at twice the size and averaged down."""
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from common import CARDO_BOLD, CARDO_REGULAR, blur, hex_rgb, mask, over, smoothstep
from metal import bevel, ramp

W, H = 440, 515
S = 2  # working pixels per logo pixel
CX, CY = 220.0, 194.0
TITLE, SUBTITLE = "VANDREL", "ONLINE"


def grid():
    ys, xs = np.mgrid[0:H * S, 0:W * S].astype(np.float32)
    return (xs + 0.5) / S - CX, (ys + 0.5) / S - CY


def ring(r_out, r_in):
    def draw(ctx):
        ctx.arc(CX, CY, r_out, 0, 2 * math.pi)
        ctx.new_sub_path()
        ctx.arc_negative(CX, CY, r_in, 2 * math.pi, 0)
        ctx.fill()
    return mask(draw, W, H, S, 2)


def disc(r, cx=CX, cy=CY):
    def draw(ctx):
        ctx.arc(cx, cy, r, 0, 2 * math.pi)
        ctx.fill()
    return mask(draw, W, H, S, 2)


def almond(ctx, a, b, dy=0.0):
    """An eye shape a wide and b high on each side of the centre: two circular arcs meeting at the corners."""
    radius = (a * a + b * b) / (2 * b)
    half = math.asin(a / radius)
    ctx.new_sub_path()
    ctx.arc(CX, CY + dy + radius - b, radius, -math.pi / 2 - half, -math.pi / 2 + half)
    ctx.arc(CX, CY + dy - radius + b, radius, math.pi / 2 - half, math.pi / 2 + half)
    ctx.close_path()


def text_mask(text, font_path, size, tracking, top):
    """Coverage of letter-spaced text centred on the logo, its cap tops at top."""
    font = ImageFont.truetype(font_path, size * S * 2)
    widths = [font.getlength(ch) for ch in text]
    total = sum(widths) + tracking * S * 2 * (len(text) - 1)
    image = Image.new("L", (W * S * 2, H * S * 2), 0)
    draw = ImageDraw.Draw(image)
    x = (W * S * 2 - total) / 2
    cap_top = font.getbbox("H")[1]
    for ch, w in zip(text, widths):
        draw.text((x, top * S * 2 - cap_top), ch, font=font, fill=255)
        x += w + tracking * S * 2
    small = image.resize((W * S, H * S), Image.BOX)
    return np.asarray(small, np.float32) / 255.0, total / (S * 2)


def render(lettering=True):
    """The logo as premultiplied RGBA floats; without lettering, the emblem alone with no shadow."""
    x, y = grid()
    r = np.sqrt(x * x + y * y)
    angle = np.arctan2(y, x)
    out = np.zeros((H * S, W * S, 4), np.float32)

    # Title and subtitle first, so the shadow can take in everything.
    if lettering:
        title, _ = text_mask(TITLE, CARDO_BOLD, 74, 1.5, 390)
        subtitle, sub_width = text_mask(SUBTITLE, CARDO_REGULAR, 24, 10, 462)
        shadow = blur(np.maximum(np.maximum(disc(176), title), subtitle), 7 * S)
        over(out, (0.0, 0.0, 0.0), np.clip(shadow * 0.85, 0, 0.8))

    # Field: deep night blue, lighter behind the eye, darker towards the rim.
    field = disc(147)
    glow = np.exp(-(r / 95.0) ** 2)
    colour = (np.array(hex_rgb("#060b12"))[None, None, :] * (1 - glow[..., None])
              + np.array(hex_rgb("#1c3346"))[None, None, :] * glow[..., None])
    colour *= (1 - 0.5 * smoothstep(110, 147, r))[..., None]
    over(out, colour, field)

    # Faint eight-pointed star and rays behind the eye.
    def rays(ctx):
        for i in range(32):
            a = i * math.pi / 16
            long = i % 4 == 0
            r0, r1, w = (60, 140 if long else 124, 0.05 if long else 0.028)
            if i % 2:
                r1, w = 114, 0.02
            ctx.move_to(CX + r0 * math.cos(a - w), CY + r0 * math.sin(a - w))
            ctx.line_to(CX + r1 * math.cos(a), CY + r1 * math.sin(a))
            ctx.line_to(CX + r0 * math.cos(a + w), CY + r0 * math.sin(a + w))
            ctx.close_path()
        ctx.fill()
    ray = mask(rays, W, H, S, 2) * field
    fade = 1 - smoothstep(70, 140, r)
    over(out, ramp(0.55 + 0.3 * fade), ray * (0.25 + 0.55 * fade))

    # Rim: a raised gold band with a groove, notches and studs; a thin inner ring.
    rim = ring(176, 150)
    groove = np.exp(-((r - 163) / 1.6) ** 2) * rim
    sheen = 0.55 + 0.12 * np.cos(angle + 2.2)
    tone = bevel(rim - 0.55 * groove, 2.4 * S, 1.2, sheen)
    notches = (np.abs(((angle / (2 * math.pi) * 96) % 1) - 0.5) > 0.42) * smoothstep(151, 153, r) * (1 - smoothstep(159, 161, r))
    tone = tone * (1 - 0.45 * notches)
    over(out, ramp(tone), rim)
    inner = ring(144, 140)
    over(out, ramp(bevel(inner, 1.0 * S, 0.8)), inner)
    for i in range(8):
        a = i * math.pi / 4 + math.pi / 8
        stud = disc(4.6, CX + 167.5 * math.cos(a), CY + 167.5 * math.sin(a))
        over(out, (0.1, 0.07, 0.02), blur(stud, 1.2 * S) * 0.6)
        over(out, ramp(bevel(stud, 1.6 * S, 1.4, 0.7)), stud)

    # The eye: gold lids round a dark eyeball, an amber iris with a dragon's slit pupil.
    def eyeball(ctx):
        almond(ctx, 92, 40, 4)
        ctx.fill()
    ball = mask(eyeball, W, H, S, 2)
    def lids(ctx):
        almond(ctx, 108, 60, -2)
        ctx.fill()
    lid = np.clip(mask(lids, W, H, S, 2) - ball, 0, 1)
    over(out, (0.02, 0.02, 0.03), blur(lid, 3 * S) * 0.7)
    over(out, ramp(bevel(lid, 2.2 * S, 1.3, 0.6)), lid)
    shade = 0.35 + 0.65 * smoothstep(-40, 30, y)
    over(out, np.stack([0.05 * shade, 0.06 * shade, 0.07 * shade], -1), ball)

    iris_r = np.sqrt(x * x + (y - 4) ** 2)
    iris = smoothstep(38.5, 37.5, iris_r) * ball
    t = np.clip(iris_r / 38.0, 0, 1)
    fibres = 0.5 + 0.5 * np.sin(np.arctan2(y - 4, x) * 46) * np.sin(np.arctan2(y - 4, x) * 17 + 1.0)
    iris_col = ramp(np.clip(0.98 - 0.55 * t ** 1.6 - 0.12 * fibres * t, 0, 1),
                    [(0.0, "#2a1002"), (0.3, "#7a3a06"), (0.55, "#c97412"), (0.75, "#f0b02a"),
                     (0.9, "#ffe07a"), (1.0, "#fff6c8")])
    iris_col *= (1 - 0.55 * smoothstep(0.82, 1.0, t))[..., None]  # dark limbal ring
    over(out, iris_col, iris)
    def slit(ctx):
        ctx.save()
        ctx.translate(0, 4)
        almond_v(ctx, 7.5, 33)
        ctx.restore()
        ctx.fill()
    pupil = mask(slit, W, H, S, 2) * ball
    over(out, (0.01, 0.0, 0.0), pupil)
    over(out, (1.0, 0.98, 0.9), disc(5.5, CX - 14, CY - 10) * 0.9)
    over(out, (1.0, 0.98, 0.9), disc(2.4, CX + 12, CY + 18) * 0.6)
    # The lid casts a little shadow over the top of the eye.
    over(out, (0.0, 0.0, 0.0), ball * smoothstep(-12, -40, y - 4) * 0.55)

    if not lettering:
        return out.reshape(H, S, W, S, 4).mean(axis=(1, 3))

    # Title: gold with a bright band, beveled, with a dark outline.
    title_outline = np.clip(blur(title, 1.6 * S) * 3.2, 0, 1)
    over(out, hex_rgb("#140d03"), title_outline)
    sheen = 0.42 + 0.38 * smoothstep(446, 390, y + CY) + 0.16 * np.exp(-(((y + CY) - 419) / 4.5) ** 2)
    over(out, ramp(bevel(title, 1.6 * S, 1.3, sheen)), title)

    # Subtitle with ornamental rules and diamonds on either side.
    half = sub_width / 2 + 16
    def rules(ctx):
        for side in (-1, 1):
            x0, x1, yy = CX + side * half, CX + side * (half + 70), 470.5
            ctx.move_to(x0, yy - 0.9)
            ctx.line_to(x1, yy)
            ctx.line_to(x0, yy + 0.9)
            ctx.close_path()
            for cx, size in ((x0 - side * 7, 3.4), (x1 + side * 5, 2.8)):
                ctx.move_to(cx, yy - size)
                ctx.line_to(cx + size, yy)
                ctx.line_to(cx, yy + size)
                ctx.line_to(cx - size, yy)
                ctx.close_path()
        ctx.fill()
    rule = mask(rules, W, H, S, 2)
    over(out, hex_rgb("#140d03"), np.clip(blur(rule + subtitle, 1.2 * S) * 2.5, 0, 1) * 0.9)
    over(out, ramp(bevel(rule, 1.0 * S, 0.8, 0.62)), rule)
    over(out, ramp(bevel(subtitle, 1.0 * S, 0.8, 0.74)), subtitle)

    return out.reshape(H, S, W, S, 4).mean(axis=(1, 3))


def almond_v(ctx, a, b):
    """A vertical pointed slit a wide and b high on each side of the centre."""
    radius = (a * a + b * b) / (2 * a)
    half = math.asin(b / radius)
    ctx.new_sub_path()
    ctx.arc(CX + radius - a, CY, radius, math.pi - half, math.pi + half)
    ctx.arc(CX - radius + a, CY, radius, -half, half)
    ctx.close_path()
