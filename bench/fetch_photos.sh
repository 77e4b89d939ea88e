#!/usr/bin/env bash
# Fills bench-data/photos with real camera photos (1 to 18 megapixels) taken from
# Debian's MATE background package: downloaded with apt-get and unpacked with
# dpkg-deb, never installed. Some baseline photos are made progressive (lossless,
# markers kept) so that the folder mixes both codings.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/bench-data/photos"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cd "$work"
apt-get download mate-backgrounds >/dev/null 2>&1 || {
  apt-get update -qq
  apt-get download mate-backgrounds
}
dpkg-deb -x mate-backgrounds_*.deb unpacked

mkdir -p "$out"
rm -f "$out"/*.jpg
share=unpacked/usr/share/backgrounds/mate
cp "$share"/nature/*.jpg "$share"/abstract/Elephants*.jpg "$out"/

for name in Aqua Dune TwoWings Wood; do
  jpegtran -progressive -copy all -outfile "$work/p.jpg" "$out/$name.jpg"
  mv "$work/p.jpg" "$out/$name.jpg"
done
echo "bench-data/photos: $(ls "$out" | wc -l) photos"
