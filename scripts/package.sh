#!/usr/bin/env bash
# Builds the Debian package: a Release build without tests or benchmarks in its
# own folder, then CPack. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-package
scripts/setup.sh
# Debian's compiler and linker flags, with every hardening feature (fortified
# library calls, read-only relocations bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DNUTHUMB_TESTS=OFF -DNUTHUMB_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j2
rm -f "$build"/nuthumb_*.deb  # one package in the folder: the one just made
(cd "$build" && cpack -G DEB)
ls "$PWD/$build"/nuthumb_*.deb
