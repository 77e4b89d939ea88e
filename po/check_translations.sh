#!/bin/sh
# Fails when a text of the program has no English translation in en.po (missing,
# empty or fuzzy), naming each such text and where it is used. $1: repository root.
set -eu
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$root/po/extract.sh" "$root" > "$work/nuthumb.pot"
# (msgmerge repeats xgettext's note about the "\r" of the message boxes; it is dropped.)
msgmerge --quiet --no-fuzzy-matching --output-file="$work/merged.po" "$root/po/en.po" "$work/nuthumb.pot" 2>/dev/null
msgattrib --untranslated --no-obsolete --output-file="$work/untranslated.po" "$work/merged.po"
msgattrib --only-fuzzy --no-obsolete --output-file="$work/fuzzy.po" "$work/merged.po"
status=0
for kind in untranslated fuzzy; do
  if grep -q '^msgid "..*"\|^msgid ""$' "$work/$kind.po" 2>/dev/null && [ "$(grep -c '^msgid' "$work/$kind.po")" -gt 1 ]; then
    echo "Texts without an English translation ($kind) in po/en.po; add a msgstr for each:"
    sed -n '/^#:/,$p' "$work/$kind.po"
    status=1
  fi
done
# Translations nobody uses any more are left in en.po by mistake.
msgattrib --only-obsolete --output-file="$work/obsolete.po" "$work/merged.po"
if [ -s "$work/obsolete.po" ] && grep -q '^#~ msgid' "$work/obsolete.po"; then
  echo "Texts in po/en.po that the program no longer has (remove them, or run po/update.sh):"
  grep '^#~ msgid' "$work/obsolete.po"
  status=1
fi
[ $status -eq 0 ] && echo "every text has an English translation"
exit $status
