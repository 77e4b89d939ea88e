#!/bin/bash
# The bash completion of nuthumb-cli loads without a word and completes options,
# choice values (also after "="), folders and files; the zsh one parses.
# The format values come from the program's own help.
# Usage: check_completion.sh BASH_SCRIPT ZSH_SCRIPT NUTHUMB_CLI
set -u
status=0
cli=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/photos" "$scratch/prints"
touch "$scratch/photo-list.txt"

loaded=$(source "$1" 2>&1)
[ -z "$loaded" ] || { echo "loading $1 says: $loaded"; status=1; }
source "$1"

# expect "WANTED" WORD...: the completions of the last WORD of "nuthumb-cli WORD...",
# sorted
expect() {
  local wanted=$1
  shift
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _nuthumb_cli 2>"$scratch/err"
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
  if [ "$got" != "$wanted" ] || [ -s "$scratch/err" ]; then
    echo "nuthumb-cli $*<TAB>: got [$got], wanted [$wanted] $(cat "$scratch/err")"
    status=1
  fi
}

cd "$scratch"
expect "--overwrite" --ov
expect "--batch --batch-file" --batch
expect "height larger width" --basis ""
expect "width" --basis = w
expect "always ask never" --overwrite =
expect "area" --filter a
expect "never" --previews = n
expect "--auto-orient" --auto
expect "--recursive --report-load-errors" --re
expect "--keep-dates" --ke
expect "photos prints" -r ""
expect "" --quality ""
expect "bmp jpg png webp" --quiet --to ""
expect "bmp" --to = b
expect "all avif" --from a
expect "--srgb" --sr
expect "photos prints" --from bmp photos ""
expect "photos prints" p
expect "photos" --size 80 pho
expect "photos" -s 80 pho
expect "photo-list.txt photos" --batch-file pho
expect "" --prefix ""

if command -v zsh >/dev/null; then
  zsh -n "$2" || status=1
fi
exit $status
