#!/usr/bin/env python3
"""Writes a dictaphone playback signal as raw 16-bit little-endian mono PCM.

Usage: make_dock_signal.py OUT RATE BLOCK TOKEN...

Each TOKEN is a letter and a count of blocks of BLOCK frames:
  qN  N blocks of tape hiss (peak about -46 dB), the quiet of a paused tape;
  sN  N blocks of speech: voiced syllables (a harmonic series on a gliding
      pitch under a smooth envelope, peak between -6 and -1 dB) that fill
      whole blocks, with a one-block breath of hiss after every third
      syllable block.  The first and last blocks are always voiced, so the
      burst starts and ends on a block boundary.
The hiss and the pitch are seeded, so the same tokens give the same file.
"""
import math
import random
import struct
import sys


def hiss(rng, frames):
    return [rng.randint(-40, 40) for _ in range(frames)]


def syllable(rng, frames, rate, start):
    pitch = rng.uniform(95.0, 190.0)
    glide = rng.uniform(-0.25, 0.25)
    peak = rng.uniform(4000.0, 7000.0)
    out = []
    for i in range(frames):
        t = (start + i) / rate
        f0 = pitch * (1.0 + glide * i / frames)
        voice = sum(math.sin(2 * math.pi * f0 * k * t) / k for k in range(1, 6)) / 1.6
        # A raised floor keeps every part of the block above the activate level.
        envelope = 0.6 + 0.4 * math.sin(math.pi * i / frames)
        out.append(int(max(-32767, min(32767, peak * envelope * voice))))
    return out


def main():
    path, rate, block = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(1954)
    samples = []
    for token in sys.argv[4:]:
        kind, count = token[0], int(token[1:])
        for i in range(count):
            voiced = kind == "s" and (i % 4 != 3 or i == count - 1)
            if voiced:
                samples += syllable(rng, block, rate, len(samples))
            else:
                samples += hiss(rng, block)
    with open(path, "wb") as out:
        out.write(struct.pack("<%dh" % len(samples), *samples))


if __name__ == "__main__":
    main()
