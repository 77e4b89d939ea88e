#!/usr/bin/env bash
# Builds the Debian package: a Release build without tests or benchmarks in its
# own folder, then CPack. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-package
scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DNUTHUMB_TESTS=OFF -DNUTHUMB_BENCH=OFF
cmake --build "$build" -j2
(cd "$build" && cpack -G DEB)
ls "$PWD/$build"/nuthumb_*.deb
