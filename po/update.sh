#!/bin/sh
# Brings po/en.po up to date with the sources: new texts appear with an empty
# msgstr to translate, texts no longer used are dropped.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
pot=$(mktemp)
trap 'rm -f "$pot"' EXIT
sh "$root/po/extract.sh" "$root" > "$pot"
msgmerge --quiet --update --backup=none --no-fuzzy-matching "$root/po/en.po" "$pot"
msgattrib --no-obsolete --output-file="$root/po/en.po" "$root/po/en.po"
