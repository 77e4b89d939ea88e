#!/usr/bin/python3
"""How close `--filter area` comes to a box filter of the full decode.

Runs nuthumb-cli --filter area with BMP targets (so no JPEG coding enters the
comparison) on every .jpg of FOLDER, and compares each thumbnail with
PIL.Image.resize(..., Image.BOX) of PIL's full-size decode of the same photo, at
the thumbnail's size. Prints the PSNR of each photo and of all pixels together;
the target is at least 35 dB.

Usage: bench/psnr_area.py [CLI [FOLDER [SIZE]]]
  defaults: build-release/app/nuthumb-cli bench-data/photos 160
Needs python3-pil.
"""
import math
import os
import subprocess
import sys
import tempfile

from PIL import Image


def squared_error(a, b):
    total = 0
    for pa, pb in zip(a.getdata(), b.getdata()):
        total += sum((x - y) ** 2 for x, y in zip(pa, pb))
    return total


def psnr(error, count):
    return float("inf") if error == 0 else 10 * math.log10(255 ** 2 * count / error)


def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else "build-release/app/nuthumb-cli"
    folder = sys.argv[2] if len(sys.argv) > 2 else "bench-data/photos"
    size = sys.argv[3] if len(sys.argv) > 3 else "160"
    photos = sorted(f for f in os.listdir(folder) if f.lower().endswith(".jpg"))
    all_error = all_count = 0
    worst = float("inf")
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([cli, "--quiet", "--filter", "area", "--to", "bmp", "--size", size, folder, out],
                       check=True, stdout=subprocess.DEVNULL)
        for name in photos:
            ours = Image.open(os.path.join(out, os.path.splitext(name)[0] + ".bmp")).convert("RGB")
            with Image.open(os.path.join(folder, name)) as photo:
                reference = photo.convert("RGB").resize(ours.size, Image.BOX)
            error = squared_error(ours, reference)
            count = ours.size[0] * ours.size[1] * 3
            value = psnr(error, count)
            worst = min(worst, value)
            all_error += error
            all_count += count
            print(f"  {name:32} {ours.size[0]:4} x {ours.size[1]:<4} {value:6.2f} dB")
    print(f"all {len(photos)} photos: {psnr(all_error, all_count):.2f} dB, worst {worst:.2f} dB (target: >= 35)")


if __name__ == "__main__":
    main()
