"""Gold: a colour ramp and a bevel lit from the upper left, computed from a shape's coverage."""
import numpy as np

from common import blur, hex_rgb

GOLD = [(0.00, "#2a1c05"), (0.22, "#6b4e0e"), (0.42, "#a97e1a"), (0.60, "#d4af37"),
        (0.78, "#f0d77f"), (0.90, "#f6e6ae"), (1.00, "#fffaea")]


def ramp(values, stops=GOLD):
    """Colours of values 0..1 along a list of (position, '#rrggbb') stops."""
    xs = [p for p, _ in stops]
    cols = np.array([hex_rgb(c) for _, c in stops], np.float32)
    return np.stack([np.interp(values, xs, cols[:, k]) for k in range(3)], axis=-1).astype(np.float32)


def bevel(coverage, sigma, depth=1.0, base=None):
    """Brightness 0..1 of a raised shape: its blurred coverage as a height field, lit from the upper left.
    base (0..1 per pixel) is the unlit tone, for example a vertical sheen."""
    height = blur(coverage, sigma)
    gy, gx = np.gradient(height)
    k = depth * sigma * 2.0
    nx, ny, nz = -gx * k, -gy * k, np.ones_like(gx)
    length = np.sqrt(nx * nx + ny * ny + nz * nz)
    nx, ny, nz = nx / length, ny / length, nz / length
    light = np.array([-0.5, -0.65, 0.58])
    light = light / np.linalg.norm(light)
    diffuse = np.clip(nx * light[0] + ny * light[1] + nz * light[2], 0, 1)
    half = light + np.array([0, 0, 1.0])
    half = half / np.linalg.norm(half)
    specular = np.clip(nx * half[0] + ny * half[1] + nz * half[2], 0, 1) ** 24
    tone = 0.62 if base is None else base
    return np.clip(tone * (0.35 + 0.75 * diffuse) + 0.45 * specular, 0, 1)
