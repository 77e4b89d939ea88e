#!/usr/bin/env bash
# Runs the README's test command on a fresh clone of the committed tree, in a
# folder that holds nothing else, to show that the tests need nothing beside the
# repository. With ccache installed (scripts/setup.sh) the clone's build takes
# the objects scripts/test.sh made of the same sources, since both key on paths
# below their clone; the step then costs little more than the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

lone=$(mktemp -d "${TMPDIR:-/tmp}/nuthumb-lone-XXXXXX")
trap 'rm -rf "$lone"' EXIT
# Some tests run the program as an unprivileged user, who must reach it.
chmod 755 "$lone"
git clone --quiet --no-hardlinks . "$lone/nuthumb"
"$lone/nuthumb/scripts/test.sh"
