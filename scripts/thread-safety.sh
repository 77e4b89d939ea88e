#!/usr/bin/env bash
# Builds the layers below the window with clang's thread-safety analysis, which
# fails on a member read or written without the lock that guards it, a function
# called without the lock it needs, or with one it must not hold. No tests: the
# analysis happens while compiling. Build folder: build-thread-safety/.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-thread-safety
CC=clang CXX=clang++ scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DNUTHUMB_WINDOW=OFF -DNUTHUMB_TESTS=OFF -DNUTHUMB_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-Wthread-safety -Werror=thread-safety"
cmake --build "$build"
