#!/usr/bin/env python3
"""Writes small wave files of every PCM kind into a folder: a seed corpus for
the wave file fuzzer.  Usage: make_wave_corpus.py FOLDER"""
import os
import struct
import sys


def chunk(cid, body, size=None):
    return cid + struct.pack("<I", len(body) if size is None else size) + body


def fmt(tag, channels, rate, bits, size=16):
    align = channels * ((bits + 7) // 8)
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    return (body + b"\0" * 64)[:size]


def wave(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main(folder):
    os.makedirs(folder, exist_ok=True)
    ramp16 = b"".join(struct.pack("<h", (i * 997) % 65536 - 32768) for i in range(64))
    files = {
        "u8.wav": wave(chunk(b"fmt ", fmt(1, 1, 8000, 8)), chunk(b"data", bytes(range(64)))),
        "s16.wav": wave(chunk(b"fmt ", fmt(1, 2, 44100, 16)), chunk(b"data", ramp16)),
        "s24.wav": wave(chunk(b"fmt ", fmt(1, 1, 48000, 24)), chunk(b"data", ramp16[:63])),
        "s32.wav": wave(chunk(b"fmt ", fmt(1, 2, 11025, 32)), chunk(b"data", ramp16)),
        "odd.wav": wave(chunk(b"LIST", b"abc") + b"\0", chunk(b"fmt ", fmt(1, 1, 8000, 16, 18)),
                        chunk(b"fact", b"1234"), chunk(b"data", ramp16, 4000)),
        "forms.wav": b"RIFF" + struct.pack("<I", 10) + b"AVI " + b"\0" * 6
        + wave(chunk(b"fmt ", fmt(1, 1, 8000, 16, 14)), chunk(b"data", ramp16)),
        "alaw.wav": wave(chunk(b"fmt ", fmt(6, 1, 8000, 8, 18)), chunk(b"data", ramp16)),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
