#!/usr/bin/env bash
# Runs the README's test command on a fresh clone of the committed tree, in a
# folder that holds nothing else, to show that the tests need nothing beside the
# repository. With ccache installed the clone's build reuses the objects of
# earlier builds, so the step costs little more than the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

lone=$(mktemp -d "${TMPDIR:-/tmp}/nuthumb-lone-XXXXXX")
trap 'rm -rf "$lone"' EXIT
# Some tests run the program as an unprivileged user, who must reach it.
chmod 755 "$lone"
git clone --quiet --no-hardlinks . "$lone/nuthumb"
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # Paths below the base folder are hashed as relative ones and the build folder
  # is left out of the hash, so objects built in another clone are found.
  export CCACHE_BASEDIR="$lone" CCACHE_NOHASHDIR=1
fi
"$lone/nuthumb/scripts/test.sh"
