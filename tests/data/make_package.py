#!/usr/bin/env python3
"""Writes a dictation package (.dct) for tests and benchmarks.

Audio segments are existing wave files (--segment FILE) or 16-bit tones made
here (--tone RATE:CHANNELS:SECONDS[:HZ]); each option adds one segment, in
order.  Version 0 takes exactly one segment and no channel byte.

  make_package.py OUT [--version 0|1] [--kind deliver|withdraw] [--sender N]
      [--number N] [--date N] [--field KEY=TEXT ...] [--priority BYTE]
      [--text TEXT] [--channels M] [--segment FILE | --tone SPEC ...]
      [--length-delta N] [--truncate N]

--channels overrides the stored channel count (default: number of segments).
--length-delta adds N to the declared length (1: one byte short of it).
--truncate cuts the finished file to N bytes (the declared length stays).
"""
import argparse
import math
import struct
import sys

FIELDS = ["name", "sendername", "senderemail", "company", "phone", "cell",
          "fax", "address1", "address2", "address3", "address4"]


def tone_wave(spec):
    parts = spec.split(":")
    rate, channels, seconds = int(parts[0]), int(parts[1]), float(parts[2])
    hz = float(parts[3]) if len(parts) > 3 else 440.0
    frames = int(rate * seconds)
    one = [int(8000 * math.sin(2 * math.pi * hz * i / rate)) for i in range(min(frames, rate))]
    samples = bytearray()
    period = struct.pack("<%dh" % len(one), *one) if one else b""
    # Repeat one second of tone so long waves are quick to make.
    frame_bytes = bytearray()
    for i in range(len(one)):
        frame_bytes += period[2 * i:2 * i + 2] * channels
    while len(samples) < frames * 2 * channels:
        samples += frame_bytes
    del samples[frames * 2 * channels:]
    return wave_bytes(rate, channels, bytes(samples))


def wave_bytes(rate, channels, data):
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * channels * 2, channels * 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def counted(text):
    raw = text.encode("latin-1")
    if len(raw) > 255:
        raise SystemExit("field longer than 255 bytes")
    return struct.pack("<B", len(raw)) + raw


def build(args, segments):
    kind = 1 if args.kind == "withdraw" else 0
    body = struct.pack("<iii", kind, args.sender, args.number)
    if kind == 0:
        fields = dict(f.split("=", 1) for f in args.field)
        body += struct.pack("<I", args.date & 0xFFFFFFFF)
        for key in FIELDS:
            body += counted(fields.get(key, ""))
        text = args.text.encode("latin-1")
        body += struct.pack("<BI", args.priority, len(text)) + text
        if args.version >= 1:
            m = args.channels if args.channels is not None else len(segments)
            body += struct.pack("<B", m)
            for seg in segments:
                body += struct.pack("<I", len(seg)) + seg
        else:
            if len(segments) != 1:
                raise SystemExit("version 0 takes exactly one segment")
            body += segments[0]
    length = 6 + len(body) + args.length_delta
    return struct.pack("<HI", args.version, length & 0xFFFFFFFF) + body


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--version", type=int, default=1)
    p.add_argument("--kind", default="deliver")
    p.add_argument("--sender", type=int, default=12)
    p.add_argument("--number", type=int, default=345)
    p.add_argument("--date", type=int, default=1000000000)
    p.add_argument("--field", action="append", default=[])
    p.add_argument("--priority", type=int, default=50)
    p.add_argument("--text", default="")
    p.add_argument("--channels", type=int)
    p.add_argument("--segment", action="append", default=[])
    p.add_argument("--tone", action="append", default=[])
    p.add_argument("--length-delta", type=int, default=0)
    p.add_argument("--truncate", type=int)
    args = p.parse_args()
    args.text = args.text.replace("\\0", "\0").replace("\\n", "\r\n")
    segments = [open(f, "rb").read() for f in args.segment]
    segments += [tone_wave(t) for t in args.tone]
    data = build(args, segments)
    if args.truncate is not None:
        data = data[:args.truncate]
    with open(args.out, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    sys.exit(main())
