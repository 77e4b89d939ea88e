#!/usr/bin/env bash
# Sets up, builds and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer, with --threads ThreadSanitizer
# (without the window layers, whose Qt libraries are not instrumented); each in a
# build folder of its own. Warnings are errors here (NUTHUMB_WERROR), which
# changes no compiler flag: the plain build shares build/ with scripts/run.sh and
# compiles nothing run.sh compiled, and the test no_compiler_warnings refuses the
# warnings of those objects.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=()
case "${1:-}" in
  --sanitize)
    build=build-asan
    flags=(-DNUTHUMB_SANITIZE=ON -DNUTHUMB_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  --threads)
    build=build-tsan
    flags=(-DNUTHUMB_THREAD_SANITIZER=ON -DNUTHUMB_WINDOW=OFF -DNUTHUMB_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  "")
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  *)
    echo "usage: scripts/test.sh [--sanitize | --threads]" >&2
    exit 2 ;;
esac

scripts/setup.sh
# ccache keys on paths below the clone and not on the build folder, so a fresh
# clone of the same sources (scripts/lone-clone-test.sh) takes these objects.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
scripts/configure.sh "$build" -DNUTHUMB_WERROR=ON "${flags[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2
