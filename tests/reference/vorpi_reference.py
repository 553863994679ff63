#!/usr/bin/env python3
"""An independent model of the animation, written from its description rather
than from the C++ sources, that prints the drawing calls of a seeded run in
vorpi-render's trace format. 32-bit float arithmetic is modelled by rounding
every double result to the nearest float, which is exact for + - * / sqrt."""

import ctypes
import math
import struct
import sys

libc = ctypes.CDLL("libc.so.6")
libc.random.restype = ctypes.c_long
libc.rand_r.argtypes = [ctypes.POINTER(ctypes.c_uint)]
libc.rand_r.restype = ctypes.c_int


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


class Sources:
    def __init__(self, seed):
        libc.srandom(ctypes.c_uint(seed))
        self.rand_state = ctypes.c_uint(seed)
        self.arc4_state = ctypes.c_uint(seed ^ 0xFFFFFFFF)

    def random(self):
        return libc.random()

    def rand(self):
        return libc.rand_r(ctypes.byref(self.rand_state))

    def arc4random(self):
        return libc.rand_r(ctypes.byref(self.arc4_state)) & 0xFFFFFFFF


def float_between(src, a, b):
    return (src.random() / 2147483647.0) * (b - a) + a


def int_between(src, a, b):
    d = b - a
    n = d + 1 if d >= 0 else d - 1
    f = f32(f32(float(src.random())) / 2147483648.0)
    v = int(f32(f32(float(n)) * f))
    return a if v == n else a + v


def clamp(v):
    if 0 > v:
        return 0.0
    if v > 255:
        return 255.0
    return v


def magnitude(x, y):
    return f32(math.sqrt(f32(f32(x * x) + f32(y * y))))


class Mover:
    """The walker and the bobs: a location, a velocity and an acceleration."""

    def __init__(self, src, x, y):
        two_pi, pi = 6.283185307179586, 3.141592653589793
        self.x, self.y = x, y
        self.vx = f32(float_between(src, -two_pi, two_pi))
        self.vy = f32(float_between(src, -two_pi, two_pi))
        self.ax = f32(float_between(src, -pi, pi))
        self.ay = f32(float_between(src, -pi, pi))

    def bounce(self, w, h):
        margin = 6.0
        if self.x > w - margin:
            self.x, self.vx = f32(w - margin), -self.vx
        elif margin > self.x:
            self.x, self.vx = margin, -self.vx
        if self.y > h - margin:
            self.y, self.vy = f32(h - margin), -self.vy
        elif margin > self.y:
            self.y, self.vy = margin, -self.vy


def walker_update(src, m, w, h):
    m.x = f32(m.x + f32(m.vx + math.sin(m.ax)))
    m.y = f32(m.y + f32(m.vy + math.sin(m.ay)))
    m.ax = f32(m.ax + f32(float_between(src, 0, 0.002)))
    m.ay = f32(m.ay + f32(float_between(src, 0, 0.002)))
    m.bounce(w, h)


def bob_update(m, w, h):
    m.vx, m.vy = f32(m.vx + m.ax), f32(m.vy + m.ay)
    mag = magnitude(m.vx, m.vy)
    if mag > 10:
        factor = f32(10 / mag)
        m.vx, m.vy = f32(factor * m.vx), f32(factor * m.vy)
    damping = f32(0.997)
    m.vx, m.vy = f32(m.vx * damping), f32(m.vy * damping)
    m.x, m.y = f32(m.x + m.vx), f32(m.y + m.vy)
    m.ax, m.ay = 0.0, 0.0
    m.bounce(w, h)


class Fin:
    def __init__(self, src, start):
        count = src.arc4random() % 10 + 10
        self.points = [[0.0, 0.0] for _ in range(count)]
        self.length = f32(float_between(src, 0, 30))
        src.arc4random()  # lifespan, never read
        self.color = [clamp(f32(channel + float_between(src, -60, 60))) for channel in start]
        self.step = f32(0.08 * f32(f32(float(src.rand())) / 2147483648.0))

    def lived(self):
        return f32(self.length / 30.0)

    def drag(self, out, phase, i, x, y):
        p = self.points[i]
        theta = math.atan2(f32(y - p[1]), f32(x - p[0]))
        s = math.sin(f32(phase - float(i)))
        a = f32(s / 20 + theta)
        p[0] = f32((x - self.length * math.cos(a)) + s / 10)
        p[1] = f32((y - self.length * math.sin(a)) + s / 2)
        n = len(self.points)
        k = ((n - i) * 4) // n + 1
        width = f32(f32(k / 5.0) + f32(5.0 * self.lived()))
        out.append("stroke %s %s %s %s %s" % tuple(map(g17, (x, y, p[0], p[1], width))))


def g17(v):
    return "%.17g" % v


def shifted(fin_channel, counter_channel):
    v = int(150.0 * math.sin(counter_channel) + fin_channel)
    while v > 255 or v < 0:
        v = 510 - v if v > 255 else -v
    return v


class Creature:
    def __init__(self, src, count, start):
        self.start = list(start)
        self.fins, self.phases = [], []
        for _ in range(count):
            self.fins.append(Fin(src, self.start))
            self.phases.append(0.0)

    def render(self, out, x, y, counter):
        for index, fin in enumerate(self.fins):
            rgb = [shifted(f, c) for f, c in zip(fin.color, counter)]
            alpha = f32(0.5 * f32(1.0 - fin.lived()))
            out.append("color %s %s %s %s" % tuple(map(g17, (rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0, alpha))))
            phase = self.phases[index]
            fin.drag(out, phase, 0, x, y)
            for i in range(len(fin.points) - 1):
                fin.drag(out, phase, i + 1, fin.points[i][0], fin.points[i][1])
            fin.length = f32(fin.length + f32(0.05))
            if fin.length > 40.0:
                fin.length = 0.0
            self.phases[index] = f32(phase + fin.step)


class Scene:
    def __init__(self, src, w, h):
        self.src, self.w, self.h = src, w, h
        cx, cy = f32(w / 2.0), f32(h / 2.0)
        self.anchor = Mover(src, cx, cy)
        self.bobs = []
        for _ in range(5):
            y = f32(float_between(src, f32(cy - 100), f32(cy + 100)))
            x = f32(float_between(src, f32(cx - 100), f32(cx + 100)))
            self.bobs.append(Mover(src, x, y))
        b, g, r = (f32(float_between(src, 0, 255)) for _ in range(3))
        base = [clamp(r), clamp(g), clamp(b)]
        b = f32(float_between(src, -3, 3))
        g = f32(float_between(src, -3, 0))
        r = f32(float_between(src, 1, 4))
        self.counter = [clamp(r), clamp(g), clamp(b)]
        b, g, r = (f32(float_between(src, 0, 0.002)) for _ in range(3))
        self.increments = [clamp(r), clamp(g), clamp(b)]
        offsets = [0.0, 0.0, 0.0]
        self.creatures = []
        for _ in range(5):
            offsets = [f32(o + float_between(src, 0, 50)) for o in offsets]
            start = [clamp(f32(c - o)) for c, o in zip(base, offsets)]
            count = int_between(src, 7, 14)
            self.creatures.append(Creature(src, count, start))

    def update(self):
        self.counter = [clamp(f32(c + i)) for c, i in zip(self.counter, self.increments)]
        walker_update(self.src, self.anchor, self.w, self.h)
        leader = self.anchor
        for bob in self.bobs:
            dx, dy = f32(bob.x - leader.x), f32(bob.y - leader.y)
            mag = magnitude(dx, dy)
            stretch = f32(mag - f32(100.0))
            if mag != 0:
                dx, dy = f32(dx / mag), f32(dy / mag)
            scale = f32(-f32(0.02) * stretch)
            bob.ax, bob.ay = f32(bob.ax + f32(dx * scale)), f32(bob.ay + f32(dy * scale))
            bob_update(bob, self.w, self.h)
            leader = bob

    def render(self, out):
        for bob, creature in zip(self.bobs, self.creatures):
            creature.render(out, bob.x, bob.y, self.counter)


def main():
    seed, width, height, frames = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    scene = Scene(Sources(seed), float(width), float(height))
    out = []
    for frame in range(1, frames + 1):
        out.append("frame %d" % frame)
        scene.update()
        scene.render(out)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
