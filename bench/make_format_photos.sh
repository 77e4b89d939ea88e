#!/usr/bin/env bash
# Fills bench-data/png and bench-data/webp with 20 photos each, made by encoders
# other than NuThumb's: the 15 photos of bench/fetch_photos.sh whole, and the
# centre quarter (half the width, half the height) of the five largest, so that
# the set reaches 20 without a file appearing twice. djpeg decodes each JPEG,
# pamcut crops, pnmtopng writes the PNG (8-bit RGB, not interlaced); cwebp makes
# the lossy WebP (-q 90) from that PNG, so both folders hold the same pictures.
# Needs libjpeg-turbo-progs, netpbm and webp (Debian).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
photos="$root/bench-data/photos"
png="$root/bench-data/png"
webp="$root/bench-data/webp"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if ! ls "$photos"/*.jpg >/dev/null 2>&1; then
  echo "$photos: no photos (run bench/fetch_photos.sh first)" >&2
  exit 1
fi
mkdir -p "$png" "$webp"
rm -f "$png"/*.png "$webp"/*.webp

for jpg in "$photos"/*.jpg; do
  name="$(basename "$jpg" .jpg)"
  djpeg -pnm "$jpg" >"$work/$name.ppm"
  pnmtopng "$work/$name.ppm" >"$png/$name.png"
done

# The five largest by pixel count, each cut to its centre quarter.
for ppm in $(for f in "$work"/*.ppm; do
               read -r w h < <(head -c 64 "$f" | sed -n 2p)
               echo "$((w * h)) $f"
             done | sort -rn | head -5 | cut -d' ' -f2); do
  name="$(basename "$ppm" .ppm)"
  read -r w h < <(head -c 64 "$ppm" | sed -n 2p)
  pamcut -left $((w / 4)) -top $((h / 4)) -width $((w / 2)) -height $((h / 2)) "$ppm" |
    pnmtopng >"$png/${name}_centre.png"
done

for file in "$png"/*.png; do
  cwebp -quiet -q 90 "$file" -o "$webp/$(basename "$file" .png).webp"
done
echo "bench-data/png: $(ls "$png" | wc -l) photos, bench-data/webp: $(ls "$webp" | wc -l) photos"
