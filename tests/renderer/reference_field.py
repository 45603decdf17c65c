#!/usr/bin/env python3
"""An independent computation of one wind field in single precision (every operation rounded to
binary32, as the renderer stores it), to check the bench's --dump output bit for bit.

usage: reference_field.py SEED FRAMES [EMITTERS PARTICLES]  -> prints x y z r g b per particle
       reference_field.py --batches SEED FRAMES MIN MAX
           -> how many width batches the last frame's lines make when the implementation clamps
              smooth line widths to [MIN, MAX]"""
import math
import struct
import sys


def f32(v):
    return struct.unpack('f', struct.pack('f', v))[0]


class Lcg:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF


SPREAD = f32(0.0018311106)
DEPTH_SPREAD = f32(0.00091555528)
ANGLE_SCALE = f32(0.00019175345)
ANGLE_SPEED_SCALE = f32(1.5259254e-9)
ANGLE_LIMIT = f32(6.2831855)


def run(seed, frames, emitters=300, particles=3000, wind_speed=20, emitter_speed=100,
        particle_speed=30):
    rng = Lcg(seed)
    for _ in range(5):
        rng.next()
    em = []
    for _ in range(emitters):
        x = f32(f32(rng.next() * SPREAD) - 30)
        y = f32(f32(rng.next() * SPREAD) - 30)
        z = f32(f32(rng.next() * DEPTH_SPREAD) - 15)
        em.append([x, y, z])
    parts = [[0.0, 0.0, 100.0, 0.0, 0.0, 0.0] for _ in range(particles)]
    newer = [-1] * particles
    older = [-1] * particles
    last = list(range(emitters))
    w = f32(float(wind_speed * wind_speed))
    angle, speed = [], []
    for _ in range(9):
        angle.append(f32(rng.next() * ANGLE_SCALE))
        speed.append(f32(f32(rng.next() * f32(w * ANGLE_SPEED_SCALE)) + f32(w * f32(0.00001))))
    emitter_step = f32(emitter_speed * f32(0.01))
    particle_step = f32(particle_speed * f32(0.01))
    nxt = 0
    for _ in range(frames):
        coef = []
        for k in range(9):
            angle[k] = f32(angle[k] + speed[k])
            if angle[k] > ANGLE_LIMIT:
                angle[k] = f32(angle[k] - ANGLE_LIMIT)
            coef.append(f32(math.cos(angle[k])))
        for i, e in enumerate(em):
            e[2] = f32(e[2] + emitter_step)
            if e[2] > 15:
                e[0] = f32(f32(rng.next() * SPREAD) - 30)
                e[1] = f32(f32(rng.next() * SPREAD) - 30)
                e[2] = -15.0
            n = nxt
            parts[n][0:3] = e[0:3]
            if newer[n] >= 0:
                older[newer[n]] = -1
            newer[n] = -1
            older[n] = -1 if e[2] == -15.0 else last[i]
            newer[last[i]] = n
            last[i] = n
            nxt += 1
            if nxt == particles:
                nxt = 0
        scale = f32(9.0 / particle_speed)
        for k in (6, 7, 8):
            coef[k] = f32(coef[k] * scale)
        for p in parts:
            x, y, z = p[0], p[1], p[2]
            nx = f32(x + f32(f32(f32(y * coef[0]) + f32(z * coef[1])) * particle_step))
            ny = f32(y + f32(f32(f32(x * coef[3]) + f32(z * coef[2])) * particle_step))
            nz = f32(z + f32(f32(f32(x * coef[4]) + f32(y * coef[5])) * particle_step))
            p[0], p[1], p[2] = nx, ny, nz
            p[3] = min(1.0, abs(f32(f32(nx - x) * coef[6])))
            p[4] = min(1.0, abs(f32(f32(ny - y) * coef[7])))
            p[5] = min(1.0, abs(f32(f32(nz - z) * coef[8])))
    return em, parts, older, newer, angle, speed


def line_batches(parts, older, low, high, line_scale=f32(0.005)):
    """Runs of successive drawn segments whose clamped widths are equal."""
    batches, current = 0, None
    for j, p in enumerate(parts):
        if older[j] < 0:
            continue
        depth = f32(p[2] + 40)
        width = min(high, max(low, f32(max(depth, f32(0.01)) * line_scale)))
        if width != current:
            batches, current = batches + 1, width
    return batches


def main():
    if sys.argv[1] == '--batches':
        seed, frames, low, high = int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5])
        _, parts, older, _, _, _ = run(seed, frames)
        print(line_batches(parts, older, low, high))
        return
    seed, frames = int(sys.argv[1]), int(sys.argv[2])
    emitters = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    particles = int(sys.argv[4]) if len(sys.argv) > 4 else 3000
    _, parts, _, _, _, _ = run(seed, frames, emitters, particles)
    out = sys.stdout
    for p in parts:
        out.write(' '.join('%.9g' % v for v in p) + '\n')


if __name__ == '__main__':
    main()
