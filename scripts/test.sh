#!/usr/bin/env bash
# Sets up, builds and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DNUTHUMB_SANITIZE=ON -DNUTHUMB_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
else
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi

scripts/setup.sh
cmake -S . -B "$build" -G Ninja "${flags[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2
