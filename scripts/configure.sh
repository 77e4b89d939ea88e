#!/usr/bin/env bash
# How every script configures its build folder: Ninja, and ccache as the compiler
# launcher when it is installed (scripts/setup.sh installs it), so that a folder
# built again, another build folder with the same flags or a fresh clone takes
# the objects already made instead of compiling them again.
#   scripts/configure.sh BUILD_DIR [CMAKE_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
exec cmake -S . -B "$build" -G Ninja "${launcher[@]}" "$@"
