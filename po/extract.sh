#!/bin/sh
# Writes the catalogue template of every text the program shows (Tr, N_) to
# stdout: the sources of every layer, found from the repository root $1.
set -eu
root=$1
cd "$root"
# The message boxes' texts end in CR LF by design: xgettext's note about "\r" is
# dropped, every other message stays.
{ find platform pixels codecs image run settings batch cli ui app -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
  xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr:1,1t --keyword=Tr:1c,2,2t --keyword=N_ \
           --add-location=file --sort-by-file --package-name=nuthumb --files-from=- --output=- \
           2>&1 1>&3 | grep -v "should not contain the '\\\\r' escape" >&2 || true; } 3>&1
