#!/usr/bin/env bash
# Fills bench-data/heic with 40 phone-sized HEIC photos made by heif-enc (x265,
# -q 50, as phones store them) from the 15 photos of bench/fetch_photos.sh: each
# scaled to fit 4032 x 3024 (12 MP, a phone's main camera) by pamscale, once as
# it is, once mirrored, and ten of them turned a quarter, so that no two files
# are the same picture. An argument makes fewer (the first COUNT of them), for
# a machine where encoding 40 takes too long. Needs libjpeg-turbo-progs, netpbm
# and libheif-examples.
# Usage: bench/make_heic_photos.sh [COUNT]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
photos="$root/bench-data/photos"
heic="$root/bench-data/heic"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if ! ls "$photos"/*.jpg >/dev/null 2>&1; then
  echo "$photos: no photos (run bench/fetch_photos.sh first)" >&2
  exit 1
fi
mkdir -p "$heic"
rm -f "$heic"/*.heic

count="${1:-40}"
made=0
encode() {  # name, the picture as PPM
  [ $made -lt "$count" ] || return 0
  made=$((made + 1))
  pnmtopng "$2" >"$work/$1.png"
  heif-enc -q 50 "$work/$1.png" -o "$heic/$1.heic" >/dev/null
}
turned=0
for jpg in "$photos"/*.jpg; do
  name="$(basename "$jpg" .jpg)"
  djpeg -pnm "$jpg" | pamscale -xyfit 4032 3024 >"$work/$name.ppm"
  encode "$name" "$work/$name.ppm"
  pamflip -lr "$work/$name.ppm" >"$work/flipped.ppm"
  encode "${name}_mirrored" "$work/flipped.ppm"
  if [ $turned -lt 10 ]; then
    pamflip -r90 "$work/$name.ppm" >"$work/flipped.ppm"
    encode "${name}_turned" "$work/flipped.ppm"
    turned=$((turned + 1))
  fi
done
echo "bench-data/heic: $(ls "$heic" | wc -l) photos"
