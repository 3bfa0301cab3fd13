#!/usr/bin/env python3
"""Writes testdata/demo/mix-events.csv: a small, plausible mix for the demo.

A two-minute reel on 24 paths: fader rides, mutes, a few EQ and pan moves, written as
time,path,proc,control,value with time in hundredths of a second. Seeded, so the file
is the same every time it is made.
"""
import random
import sys

FADER, MUTE, EQ1, PAN = (14, 0), (14, 2), (1, 1), (21, 0)


def rides(rng, path, out):
    level = rng.randint(-300, 0)
    t = rng.randint(0, 400)
    while t < 12000:
        for _ in range(rng.randint(5, 40)):  # one move, a point every 2-4 units
            level = max(-1000, min(100, level + rng.randint(-12, 12)))
            out.append((t, path, *FADER, level))
            t += rng.randint(2, 4)
        t += rng.randint(200, 1500)


def main():
    rng = random.Random(20261205)
    events = []
    for path in range(24):
        events.append((0, path, *FADER, -200))
        events.append((0, path, *MUTE, 0))
        rides(rng, path, events)
        for _ in range(rng.randint(0, 6)):
            t = rng.randint(100, 11900)
            events.append((t, path, *MUTE, 1))
            events.append((t + rng.randint(50, 400), path, *MUTE, 0))
        if path % 3 == 0:
            for _ in range(rng.randint(1, 4)):
                events.append((rng.randint(0, 12000), path, *EQ1, rng.randint(-60, 60)))
        if path % 4 == 1:
            t = rng.randint(0, 9000)
            for step in range(30):
                events.append((t + step * 3, path, *PAN, -100 + step * 7))
    events.sort(key=lambda e: e[0])
    out = open(sys.argv[1], "w") if len(sys.argv) > 1 else sys.stdout
    out.write("# time,path,proc,control,value  (time in automation units)\n")
    for e in events:
        out.write(",".join(str(v) for v in e) + "\n")


if __name__ == "__main__":
    main()
