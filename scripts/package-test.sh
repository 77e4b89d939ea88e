#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it through apt (so
# that its dependencies resolve), checks the installed programs, then purges it
# and checks that nothing of it is left. Needs root, or sudo; run it on a test
# machine, since it installs and removes the package nuthumb.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
fail() { echo "package-test: $*" >&2; exit 1; }

scripts/package.sh >&2
deb=$(ls "$PWD"/build-package/nuthumb_*.deb)
echo "package-test: lintian $deb"
lintian --display-info --fail-on error,warning,info "$deb"

scratch=$(mktemp -d)
export DEBIAN_FRONTEND=noninteractive
# A check that fails leaves no package behind either.
cleanup() {
  $SUDO rm -rf "$scratch"
  if dpkg -s nuthumb >/dev/null 2>&1; then $SUDO apt-get purge -y -qq nuthumb >/dev/null; fi
}
trap cleanup EXIT
$SUDO apt-get install -y -qq "./${deb#"$PWD/"}" >/dev/null
installed=$(dpkg -L nuthumb)

# Started the way a user starts them: from the system's search path, with no
# display, and as root for the folder job, who could write anywhere.
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
# Japanese, the source language, under C; English from the installed catalogue.
export LC_ALL=C.UTF-8
[[ $(nuthumb-cli --help) == *"使い方: nuthumb-cli"* ]] || fail "nuthumb-cli --help"
[[ $(LANGUAGE=en nuthumb-cli --help) == *"Usage: nuthumb-cli"* ]] || fail "nuthumb-cli --help in English"
export LANGUAGE=en
[[ $(no_display nuthumb --help) == "Usage: nuthumb"* ]] || fail "nuthumb --help without a display"
status=0
no_display nuthumb 2>"$scratch/err" || status=$?
[ "$status" -eq 1 ] && grep -q 'no display' "$scratch/err" || fail "nuthumb without a display: status $status"
[ "$(man -w nuthumb-cli)" = /usr/share/man/man1/nuthumb-cli.1.gz ] || fail "man -w nuthumb-cli"
[ "$(man -w nuthumb)" = /usr/share/man/man1/nuthumb.1.gz ] || fail "man -w nuthumb"

# A folder job run by root with a home of its own: the thumbnail is made, the
# installed program's folder gets nothing, and without folders the job comes from
# the user's settings, not from a file beside the program.
home="$scratch/home"
mkdir -p "$home/.config/nuthumb" "$scratch/in" "$scratch/out"
# A 2 x 2 BMP: file header, info header, two rows of two pixels padded to 8 bytes.
printf 'BMF\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x10\0\0\0'\
'\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xff\0\0\0\xff\0\0\0\0\0\xff\xff\xff\xff\0\0' >"$scratch/in/a.bmp"
printf '[SYSTEM]\r\nSrcDir=%s\r\nDstDir=%s\r\nFileHead=user_\r\nReadFileMode=0\r\n' "$scratch/in" "$scratch/out" \
  >"$home/.config/nuthumb/nuthumb.ini"
stamp="$scratch/stamp"
touch "$stamp"
as_root() { $SUDO env -u XDG_CONFIG_HOME HOME="$home" "$@"; }
as_root nuthumb-cli --quiet --from bmp "$scratch/in" "$scratch/out" >/dev/null || fail "folder job as root"
as_root nuthumb-cli --quiet >/dev/null || fail "job from the user's settings as root"
[ -f "$scratch/out/a.jpg" ] && [ -f "$scratch/out/user_a.jpg" ] || fail "thumbnails missing: $(ls "$scratch/out")"
written=$(find /usr /opt -xdev -newer "$stamp" \( -iname '*nuthumb*' -o -name '*.ini' -o -name '*.Err' \) -print)
[ -z "$written" ] || fail "written into system folders: $written"

# Purged, the package leaves none of its files (folders shared with other
# packages stay).
files=$(for path in $installed; do [ -d "$path" ] || echo "$path"; done)
$SUDO apt-get purge -y -qq nuthumb >/dev/null
! dpkg -s nuthumb >/dev/null 2>&1 || fail "dpkg still knows nuthumb after the purge"
for path in $files /usr/bin/nuthumb.ini /usr/bin/NuThumb.Err /usr/share/doc/nuthumb; do
  [ ! -e "$path" ] || fail "left after purge: $path"
done
echo "package-test: $deb installs, works and purges cleanly"
