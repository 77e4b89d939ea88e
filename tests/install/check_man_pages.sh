#!/bin/sh
# Each manual page renders without a word from man or groff (warnings on, as
# lintian renders them), and its NAME line gives the whatis database an entry.
status=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    printf '%s:\n%s\n' "$page" "$warnings"
    status=1
  fi
  name=$(basename "$page" .1)
  lexgrog "$page" | grep -q "^$page: \"$name - ..*\"\$" || { echo "$page: no whatis entry for $name"; status=1; }
done
exit $status
