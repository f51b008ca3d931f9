#!/usr/bin/env python3
"""Seeds a fuzzing corpus folder with small dictation packages of each kind."""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MAKER = os.path.join(HERE, "make_package.py")
SEEDS = {
    "v0.dct": ["--version", "0", "--tone", "8000:1:0.02"],
    "v1-two.dct": ["--tone", "11025:1:0.02", "--tone", "8000:2:0.01", "--text", "hi"],
    "v1-none.dct": ["--channels", "0", "--field", "name=N", "--priority", "80"],
    "withdraw.dct": ["--kind", "withdraw"],
}


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, options in SEEDS.items():
        subprocess.run([sys.executable, MAKER, os.path.join(folder, name)] + options, check=True)


if __name__ == "__main__":
    main()
