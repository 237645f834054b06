"""The flag sprite: 16 flags of 48 x 32 in the launcher's language order, drawn at 8x and averaged down
so that stripes on whole pixels stay crisp and curves are smooth."""
import math

import numpy as np

from common import canvas, hex_rgb, pixels, polygon, rounded_rect, star

W, H = 48, 32
WHITE = "#ffffff"


def fill(ctx, colour, x, y, w, h):
    ctx.set_source_rgb(*hex_rgb(colour))
    ctx.rectangle(x, y, w, h)
    ctx.fill()


def horizontal(ctx, *colours):  # thirds of 11, 10 and 11 pixels stay on whole pixels
    edges = [0, 11, 21, 32] if len(colours) == 3 else [0, 16, 32]
    for colour, top, bottom in zip(colours, edges, edges[1:]):
        fill(ctx, colour, 0, top, W, bottom - top)


def vertical(ctx, *colours):
    for i, colour in enumerate(colours):
        fill(ctx, colour, i * 16, 0, 16, H)


def czech(ctx):
    horizontal(ctx, WHITE, "#d7141a")
    ctx.set_source_rgb(*hex_rgb("#11457e"))
    polygon(ctx, [(0, 0), (24, 16), (0, 32)])
    ctx.fill()


def denmark(ctx):
    fill(ctx, "#c8102e", 0, 0, W, H)
    fill(ctx, WHITE, 15, 0, 5, H)
    fill(ctx, WHITE, 0, 13.5, W, 5)


def germany(ctx):
    horizontal(ctx, "#000000", "#dd0000", "#ffce00")


def united_kingdom(ctx):
    u = H / 30.0  # the flag's own unit: a thirtieth of its height
    fill(ctx, "#012169", 0, 0, W, H)
    ctx.save()
    ctx.rectangle(0, 0, W, H)
    ctx.clip()
    for colour, width, counterchanged in ((WHITE, 6 * u, False), ("#c8102e", 4 * u, True)):
        ctx.save()
        if counterchanged:  # red keeps to one side of each diagonal: the broad white is uppermost at the hoist
            cx, cy = W / 2, H / 2
            for tri in (((cx, cy), (W, cy), (W, H)), ((cx, cy), (cx, H), (0, H)),
                        ((cx, cy), (0, cy), (0, 0)), ((cx, cy), (cx, 0), (W, 0))):
                polygon(ctx, tri)
            ctx.clip()
        ctx.set_source_rgb(*hex_rgb(colour))
        ctx.set_line_width(width)
        ctx.move_to(0, 0)
        ctx.line_to(W, H)
        ctx.move_to(W, 0)
        ctx.line_to(0, H)
        ctx.stroke()
        ctx.restore()
    ctx.restore()
    fill(ctx, WHITE, 19, 0, 10, H)
    fill(ctx, WHITE, 0, 11, W, 10)
    fill(ctx, "#c8102e", 21, 0, 6, H)
    fill(ctx, "#c8102e", 0, 13, W, 6)


def spain(ctx):
    fill(ctx, "#aa151b", 0, 0, W, H)
    fill(ctx, "#f1bf00", 0, 8, W, 16)
    cx = 16.0  # the arms stand half the flag's height from the hoist
    gold, red, silver = hex_rgb("#c8a02a"), hex_rgb("#ad1519"), hex_rgb("#d9d9d9")
    for px in (cx - 6.3, cx + 6.3):  # the Pillars of Hercules with their red scrolls and crowns
        ctx.set_source_rgb(*silver)
        ctx.rectangle(px - 0.8, 12.2, 1.6, 8.6)
        ctx.fill()
        ctx.set_source_rgb(*gold)
        ctx.rectangle(px - 1.3, 11.2, 2.6, 1.1)
        ctx.rectangle(px - 1.3, 20.6, 2.6, 1.2)
        ctx.fill()
        ctx.set_source_rgb(*red)
        polygon(ctx, [(px - 1.4, 15.4), (px + 1.4, 14.4), (px + 1.4, 15.6), (px - 1.4, 16.6)])
        ctx.fill()
        ctx.set_source_rgb(*gold)
        ctx.arc(px, 10.6, 0.8, math.pi, 2 * math.pi)
        ctx.fill()
    # Royal crown over the shield.
    ctx.set_source_rgb(*gold)
    polygon(ctx, [(cx - 3.4, 12.2), (cx - 3.8, 9.9), (cx - 1.8, 10.9), (cx, 9.3), (cx + 1.8, 10.9),
                  (cx + 3.8, 9.9), (cx + 3.4, 12.2)])
    ctx.fill()
    ctx.set_source_rgb(*red)
    ctx.rectangle(cx - 2.2, 11.0, 4.4, 0.6)
    ctx.fill()
    # Shield quartered: Castile, Leon, Aragon, Navarre, Granada at the point, the Bourbon oval at the centre.
    left, right, top, mid, bottom = cx - 3.4, cx + 3.4, 12.5, 16.4, 20.9
    ctx.save()
    ctx.move_to(left, top)
    ctx.line_to(right, top)
    ctx.line_to(right, 18.4)
    ctx.curve_to(right, 20.2, cx + 1.8, bottom, cx, bottom)
    ctx.curve_to(cx - 1.8, bottom, left, 20.2, left, 18.4)
    ctx.close_path()
    ctx.clip_preserve()
    ctx.set_source_rgb(*hex_rgb("#c8102e"))
    ctx.fill()
    fill(ctx, "#f0f0f0", cx, top, 3.4, mid - top)
    fill(ctx, "#f4c300", left, mid, 3.4, bottom - mid)
    for i in range(4):
        fill(ctx, "#d4141f", left + 0.35 + i * 0.8, mid, 0.42, bottom - mid)
    ctx.set_source_rgb(*hex_rgb("#f4c300"))  # Castile's castle and Navarre's chains
    ctx.rectangle(cx - 2.3, 13.5, 1.4, 1.8)
    ctx.fill()
    ctx.set_line_width(0.35)
    ctx.rectangle(cx + 0.7, mid + 0.7, 2.0, 2.0)
    ctx.move_to(cx + 0.7, mid + 0.7)
    ctx.line_to(cx + 2.7, mid + 2.7)
    ctx.stroke()
    ctx.set_source_rgb(*hex_rgb("#7b2a7b"))  # Leon's lion
    ctx.arc(cx + 1.7, 14.5, 0.8, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#f0f0f0"))
    polygon(ctx, [(cx - 1.1, bottom), (cx, 19.0), (cx + 1.1, bottom)])
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#2e8b57"))
    ctx.arc(cx, 20.2, 0.5, 0, 2 * math.pi)
    ctx.fill()
    ctx.restore()
    ctx.set_source_rgb(*hex_rgb("#c8102e"))
    ctx.save()
    ctx.translate(cx, mid)
    ctx.scale(1.25, 1.5)
    ctx.arc(0, 0, 1.0, 0, 2 * math.pi)
    ctx.restore()
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#1f4fa8"))
    ctx.save()
    ctx.translate(cx, mid)
    ctx.scale(0.9, 1.15)
    ctx.arc(0, 0, 1.0, 0, 2 * math.pi)
    ctx.restore()
    ctx.fill()


def france(ctx):
    vertical(ctx, "#0055a4", WHITE, "#ef4135")


def italy(ctx):
    vertical(ctx, "#009246", WHITE, "#ce2b37")


def hungary(ctx):
    horizontal(ctx, "#cd2a3e", WHITE, "#436f4d")


def netherlands(ctx):
    horizontal(ctx, "#ae1c28", WHITE, "#21468b")


def poland(ctx):
    horizontal(ctx, WHITE, "#dc143c")


def portugal(ctx):
    fill(ctx, "#006600", 0, 0, 19.2, H)
    fill(ctx, "#ff0000", 19.2, 0, W - 19.2, H)
    cx, cy, r = 19.2, 16.0, 7.6  # the armillary sphere sits on the division, half the height across
    yellow = hex_rgb("#ffe000")
    ctx.set_source_rgb(*yellow)
    ctx.set_line_width(1.0)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.stroke()
    ctx.set_line_width(0.7)
    for dy, rx in ((-4.2, 6.3), (0.0, 7.6), (4.2, 6.3)):
        ctx.save()
        ctx.translate(cx, cy + dy)
        ctx.scale(rx, 1.2)
        ctx.arc(0, 0, 1.0, 0, math.pi)
        ctx.restore()
        ctx.stroke()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(-0.55)
    ctx.scale(7.6, 2.0)
    ctx.arc(0, 0, 1.0, 0, 2 * math.pi)
    ctx.restore()
    ctx.stroke()
    # The shield: a red border with gold castles round a white field with five blue escutcheons.
    def shield(inset):
        x0, x1, y0 = cx - 4.0 + inset, cx + 4.0 - inset, cy - 4.6 + inset
        ctx.move_to(x0, y0)
        ctx.line_to(x1, y0)
        ctx.line_to(x1, cy + 1.4 - inset * 0.3)
        ctx.curve_to(x1, cy + 4.0 - inset, cx + 2.0, cy + 5.0 - inset, cx, cy + 5.0 - inset)
        ctx.curve_to(cx - 2.0, cy + 5.0 - inset, x0, cy + 4.0 - inset, x0, cy + 1.4 - inset * 0.3)
        ctx.close_path()
    ctx.set_source_rgb(*hex_rgb("#ef0000"))
    shield(0)
    ctx.fill()
    ctx.set_source_rgb(*yellow)
    for x, y in ((cx - 3.2, cy - 3.8), (cx - 0.5, cy - 3.8), (cx + 2.2, cy - 3.8), (cx - 3.2, cy - 0.2),
                 (cx + 2.2, cy - 0.2), (cx - 1.9, cy + 3.1), (cx + 0.9, cy + 3.1)):
        ctx.rectangle(x, y, 1.0, 0.9)
    ctx.fill()
    ctx.set_source_rgb(1, 1, 1)
    shield(1.3)
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#003399"))
    for x, y in ((0, -1.7), (-1.6, 0.2), (0, 0.2), (1.6, 0.2), (0, 2.1)):
        ctx.rectangle(cx + x - 0.55, cy + y - 0.7, 1.1, 1.4)
    ctx.fill()


def romania(ctx):
    vertical(ctx, "#002b7f", "#fcd116", "#ce1126")


def turkey(ctx):
    fill(ctx, "#e30a17", 0, 0, W, H)
    ctx.set_source_rgb(1, 1, 1)
    ctx.arc(17.0, 16.0, 8.0, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(*hex_rgb("#e30a17"))
    ctx.arc(19.0, 16.0, 6.4, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(1, 1, 1)
    star(ctx, 27.33, 16.0, 4.0, angle=math.pi)  # one point towards the crescent
    ctx.fill()


def greece(ctx):
    blue = "#0d5eaf"
    edges = [round(i * H / 9) for i in range(10)]  # nine stripes on whole pixels
    for i in range(9):
        fill(ctx, blue if i % 2 == 0 else WHITE, 0, edges[i], W, edges[i + 1] - edges[i])
    fill(ctx, blue, 0, 0, edges[5], edges[5])
    fill(ctx, WHITE, 7, 0, 4, edges[5])
    fill(ctx, WHITE, 0, 7, edges[5], 4)


def russia(ctx):
    horizontal(ctx, WHITE, "#0039a6", "#d52b1e")


def united_arab_emirates(ctx):
    horizontal(ctx, "#00732f", WHITE, "#000000")
    fill(ctx, "#ff0000", 0, 0, 12, H)


# Cell order is the launcher's language order.
FLAGS = [czech, denmark, germany, united_kingdom, spain, france, italy, hungary, netherlands, poland,
         portugal, romania, turkey, greece, russia, united_arab_emirates]


def render():
    """The 768 x 32 sprite as premultiplied RGBA floats."""
    sprite = np.zeros((H, W * len(FLAGS), 4), np.float32)
    for i, draw in enumerate(FLAGS):
        surface, ctx = canvas(W, H, 8)
        rounded_rect(ctx, 0, 0, W, H, 1.5)  # softened corners, as small flags are shown
        ctx.clip()
        draw(ctx)
        cell = pixels(surface, 8)
        # A faint dark rim keeps white edges (Poland, Russia, Greece) from melting into light text.
        edge = np.zeros((H, W), np.float32)
        edge[0, :] = edge[-1, :] = edge[:, 0] = edge[:, -1] = 0.16
        cell[..., :3] *= (1 - edge[..., None])
        sprite[:, i * W:(i + 1) * W] = cell
    return sprite
