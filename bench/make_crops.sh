#!/usr/bin/env bash
# Fills bench-data/crops with 1,000 JPEG images of 640 x 480 cut losslessly from the
# photos of bench-data/photos (bench/fetch_photos.sh), so they keep the cameras'
# coding (baseline or progressive, their sampling and tables). Offsets step over each
# photo on the 16-pixel block grid, so every crop is exactly 640 x 480.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
photos="$root/bench-data/photos"
out="$root/bench-data/crops"
[ -d "$photos" ] || "$root/bench/fetch_photos.sh"

mkdir -p "$out"
rm -f "$out"/*.jpg
mapfile -t files < <(ls "$photos"/*.jpg)
n=0
round=0
while [ "$n" -lt 1000 ]; do
  for photo in "${files[@]}"; do
    [ "$n" -lt 1000 ] || break
    read -r w h < <(python3 -c 'import sys,struct
d=open(sys.argv[1],"rb").read(); i=2
while i<len(d):
    m=d[i+1]; l=struct.unpack(">H",d[i+2:i+4])[0]
    if m in (0xC0,0xC1,0xC2): print(struct.unpack(">H",d[i+7:i+9])[0], struct.unpack(">H",d[i+5:i+7])[0]); break
    i+=2+l' "$photo")
    cols=$(( (w - 640) / 16 + 1 ))
    rows=$(( (h - 480) / 16 + 1 ))
    x=$(( (round * 37 % cols) * 16 ))
    y=$(( (round * 23 % rows) * 16 ))
    jpegtran -crop "640x480+$x+$y" -copy none -outfile "$out/$(printf 'crop%04d.jpg' "$n")" "$photo"
    n=$((n + 1))
  done
  round=$((round + 1))
done
echo "bench-data/crops: $(ls "$out" | wc -l) images of 640 x 480"
