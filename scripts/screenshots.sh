#!/usr/bin/env bash
# Pictures of every window for the README: builds nuthumb-screenshots and runs it
# on a virtual display (Xvfb), with the real platform plugin and fonts. Writes
# docs/main_window.png, main_window_batch.png, settings_dialog.png,
# folder_picker.png and about_box.png.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target nuthumb-screenshots
mkdir -p docs
# A private, empty /home (a user and mount namespace, no privileges needed) holds
# the sample tree, so the pictures show no folder of the machine that draws them.
unshare --map-root-user --mount sh -c '
  mount -t tmpfs tmpfs /home
  HOME=/home/user XDG_RUNTIME_DIR=$(mktemp -d) xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/app/nuthumb-screenshots docs /home/user'

