#!/usr/bin/env bash
# Sets up, builds and runs nuthumb-cli with the given arguments. With no
# arguments it makes a small sample folder of generated JPEG images and turns it
# into thumbnails, then says where they went.
#
#   scripts/run-cli.sh [SOURCE_DIR DEST_DIR] [options]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUTHUMB_WERROR=OFF >/dev/null
cmake --build build -j2 --target nuthumb-cli
cli=build/app/nuthumb-cli

if [ $# -gt 0 ]; then
  exec "$cli" "$@"
fi

sample=$(mktemp -d "${TMPDIR:-/tmp}/nuthumb-sample-XXXXXX")
mkdir -p "$sample/photos" "$sample/thumbs"
if /usr/bin/python3 -c 'import PIL' 2>/dev/null; then
  /usr/bin/python3 - "$sample/photos" <<'PY'
import sys
from PIL import Image, ImageDraw
for i, (w, h) in enumerate([(640, 480), (480, 640), (800, 600), (1024, 256), (300, 300), (200, 150)]):
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = (x * 255 // w, y * 255 // h, (i * 40) % 256)
    ImageDraw.Draw(img).ellipse((w // 4, h // 4, 3 * w // 4, 3 * h // 4), outline=(255, 255, 255), width=4)
    img.save(f"{sys.argv[1]}/sample{i + 1}.jpg", quality=90)
PY
else
  cp tests/data/corpus/libjpeg-turbo/test*.jpg "$sample/photos/"
fi

status=0
"$cli" "$sample/photos" "$sample/thumbs" --prefix t_ --size 80 || status=$?
echo "Sources:    $sample/photos"
echo "Thumbnails: $sample/thumbs"
ls "$sample/thumbs"
exit "$status"
