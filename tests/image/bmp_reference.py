#!/usr/bin/python3
"""Reference pixels for the BMP conformance test, from an independent decoder.

Usage: bmp_reference.py INPUT.bmp OUTPUT.raw
Writes "width height\n" and then the pixels as R, G, B bytes, top row first.
Exits with 3 when the decoder is not installed, 2 when it cannot read the file.
"""
import sys

try:
    from PIL import Image
except ImportError:
    sys.exit(3)


def main():
    source, target = sys.argv[1], sys.argv[2]
    try:
        with Image.open(source) as image:
            rgb = image.convert("RGB")
    except Exception as error:  # the test reports the reason
        print(error, file=sys.stderr)
        sys.exit(2)
    with open(target, "wb") as out:
        out.write(b"%d %d\n" % rgb.size)
        out.write(rgb.tobytes())


main()
