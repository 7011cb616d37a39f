"""A tiny anti-aliased rasterizer: shapes are signed distance functions in pixel units
(negative inside), coverage is taken from the distance, so one sample per pixel gives smooth
edges at every size."""

import math


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


class Canvas:
    """Straight-alpha RGBA pixels, channels 0..255 as floats."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def get(self, x, y):
        return self.px[y * self.w + x]

    def blend(self, x, y, rgb, a):
        if a <= 0.0:
            return
        p = self.px[y * self.w + x]
        da = p[3] / 255.0
        oa = a + da * (1.0 - a)
        if oa <= 0.0:
            return
        for i in range(3):
            p[i] = (rgb[i] * a + p[i] * da * (1.0 - a)) / oa
        p[3] = oa * 255.0

    def fill(self, shape, paint, bounds=None, opacity=1.0):
        """Paints `shape` (sdf(x, y)) with `paint` (a colour or a function of x, y)."""
        x0, y0, x1, y1 = bounds or (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx, cy = x + 0.5, y + 0.5
                cover = clamp(0.5 - shape(cx, cy))
                if cover <= 0.0:
                    continue
                colour = paint(cx, cy) if callable(paint) else paint
                alpha = cover * opacity * (colour[3] / 255.0 if len(colour) > 3 else 1.0)
                self.blend(x, y, colour[:3], alpha)

    def draw(self, other, ox, oy):
        """Composites another canvas at an integer offset."""
        for y in range(other.h):
            for x in range(other.w):
                tx, ty = x + ox, y + oy
                if 0 <= tx < self.w and 0 <= ty < self.h:
                    p = other.get(x, y)
                    self.blend(tx, ty, p[:3], p[3] / 255.0)

    def crop(self, x, y, w, h):
        out = Canvas(w, h)
        for j in range(h):
            for i in range(w):
                out.px[j * w + i] = list(self.get(x + i, y + j))
        return out

    def rgba(self):
        """Rows of (r, g, b, a) integer tuples."""
        return [[tuple(int(round(clamp(c, 0, 255))) for c in self.get(x, y))
                 for x in range(self.w)] for y in range(self.h)]

    def flatten(self, matte, key=None, threshold=0.04):
        """Rows of RGB over `matte`; nearly empty pixels become `key` when one is given.
        Colours equal to the key inside the picture are nudged so they stay visible."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.get(x, y)
                a /= 255.0
                if key is not None and a < threshold:
                    row.append(tuple(key))
                    continue
                c = tuple(int(round(clamp(m + (v - m) * a, 0, 255)))
                          for v, m in zip((r, g, b), matte))
                if key is not None and c == tuple(key):
                    c = (c[0], c[1], c[2] + (1 if c[2] < 255 else -1))
                row.append(c)
            rows.append(row)
        return rows


# ---- Shapes: signed distance functions --------------------------------------------------

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rect(x0, y0, x1, y1, r=0.0):
    """Rounded rectangle from (x0, y0) to (x1, y1) with corner radius r."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf


def polygon(points):
    """Convex polygon, points in clockwise screen order (y down)."""
    edges = []
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        ln = math.hypot(ex, ey)
        edges.append((ax, ay, ey / ln, -ex / ln))

    def sdf(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)
    return sdf


def segment(ax, ay, bx, by, width):
    """A stroke of the given width with round caps."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def sdf(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / ll) if ll else 0.0
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2.0
    return sdf


def arc(cx, cy, r, width, a0, a1):
    """A stroke along the circle between angles a0 and a1 (degrees, 0 = right, clockwise)."""
    s0, s1 = math.radians(a0), math.radians(a1)
    p0 = (cx + r * math.cos(s0), cy + r * math.sin(s0))
    p1 = (cx + r * math.cos(s1), cy + r * math.sin(s1))

    def sdf(x, y):
        ang = math.atan2(y - cy, x - cx)
        rel = (ang - s0) % (2 * math.pi)
        if rel <= (s1 - s0) % (2 * math.pi):
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2.0
        return min(math.hypot(x - p0[0], y - p0[1]), math.hypot(x - p1[0], y - p1[1])) - width / 2.0
    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def ring(shape, width):
    """The outline of a shape, `width` wide, inside its edge."""
    return lambda x, y: abs(shape(x, y) + width / 2.0) - width / 2.0


# ---- Paints ----------------------------------------------------------------------------

def vgradient(y0, c0, y1, c1):
    def paint(x, y):
        return mix(c0, c1, clamp((y - y0) / float(y1 - y0)))
    return paint


def radial(cx, cy, r, c0, c1):
    def paint(x, y):
        return mix(c0, c1, clamp(math.hypot(x - cx, y - cy) / r))
    return paint
