#!/usr/bin/env bash
# Sets up, builds and opens the window program nuthumb. Its settings file,
# nuthumb.ini, lives beside the executable (build/app/), where the build tree's
# nuthumb-cli finds it too. The build folder and its flags are scripts/test.sh's,
# with warnings not made errors: neither script compiles what the other built.
#
#   scripts/run.sh          on the desktop's display
#   scripts/run.sh --vnc    without a display: a VNC server on port 5900 instead
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUTHUMB_WERROR=OFF >/dev/null
cmake --build build -j2 --target nuthumb
program=build/app/nuthumb

if [ "${1:-}" = "--vnc" ]; then
  echo "nuthumb: connect a VNC viewer to port 5900 of this machine; close the window to end."
  exec env QT_QPA_PLATFORM=vnc:size=1024x768 "$program"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
nuthumb is a window program and there is no display (DISPLAY and WAYLAND_DISPLAY
are not set). Either
  - log in with X forwarding (ssh -X) or on the desktop, and run this again;
  - run scripts/run.sh --vnc and connect a VNC viewer to port 5900; or
  - use the command-line front end instead: scripts/run-cli.sh [SOURCE_DIR DEST_DIR] [options]
TEXT
  exit 1
fi
exec "$program"
