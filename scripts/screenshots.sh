#!/usr/bin/env bash
# Pictures of every window for the README: builds nuthumb-screenshots and runs it
# on a virtual display (Xvfb), with the real platform plugin and fonts. Writes
# docs/main_window.png, main_window_batch.png, settings_dialog.png,
# folder_picker.png and about_box.png in Japanese; with "en" the same pictures of
# the English window as docs/*_en.png.
#   scripts/screenshots.sh [ja|en]
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-ja}" in
  ja) lang=ja_JP.UTF-8 suffix="" ;;
  en) lang=en_US.UTF-8 suffix=_en ;;
  *) echo "usage: scripts/screenshots.sh [ja|en]" >&2; exit 2 ;;
esac

scripts/setup.sh
scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target nuthumb-screenshots
mkdir -p docs
# A private, empty /home (a user and mount namespace, no privileges needed) holds
# the sample tree, so the pictures show no folder of the machine that draws them.
unshare --map-root-user --mount env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" sh -c '
  mount -t tmpfs tmpfs /home
  HOME=/home/user XDG_RUNTIME_DIR=$(mktemp -d) xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/app/nuthumb-screenshots docs /home/user "$0"' "$suffix"

