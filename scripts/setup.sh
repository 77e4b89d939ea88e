#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when any
# is missing. Safe to run again; does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  ccache                     # builds of the same sources share their objects (scripts/configure.sh)
  libjpeg62-turbo-dev        # JPEG decoding and encoding
  libpng-dev                 # PNG decoding and encoding (the reference library)
  libwebp-dev                # WebP decoding (also animated: demux) and encoding
  libheif-dev                # HEIC and AVIF decoding (libde265, dav1d/aom inside)
  libjxl-dev                 # JPEG XL decoding (the format's reference library)
  libraw-dev                 # camera RAW decoding (LibRaw)
  liblcms2-dev               # ICC profiles converted to sRGB
  libgtest-dev               # unit tests
  libcli11-dev               # command-line options of nuthumb-cli
  qt6-base-dev               # the window program and its tests (Qt Widgets, Qt Test)
  libqt6svg6                 # the window program's SVG icon
  fonts-ipafont-gothic       # Japanese window texts
  xvfb xauth                 # scripts/screenshots.sh: a display without a screen
  libjpeg-turbo-progs        # djpeg: reference decoder for conformance tests
  python3-pil                # reference BMP decoder for conformance tests
  netpbm                     # pnmtopng, pamtopng: independent PNG encoder for the tests
  webp                       # cwebp, dwebp, img2webp: WebP encoder and reference decoder
  libheif-examples           # heif-enc, heif-convert: HEIC encoder and reference decoder
  libavif-bin                # avifenc, avifdec: AVIF encoder and reference decoder
  libjxl-tools               # cjxl, djxl: JPEG XL encoder and reference decoder
  libraw-bin                 # dcraw_emu, raw-identify: the RAW tests' reference develop
  clang libclang-rt-14-dev   # fuzz targets
  desktop-file-utils         # desktop-file-validate: the menu entry's test
  dpkg-dev file              # scripts/package.sh: dpkg-shlibdeps finds the package's dependencies
  man-db groff-base          # the manual pages' test renders them
  zsh                        # the completion test parses the zsh completion
  lintian                    # scripts/package-test.sh checks the package
  gettext                    # xgettext, msgfmt: the translations' catalogues and their test
  locales                    # the Japanese and English locales the language tests run in
)

# The tests run the programs in Japanese, English and C; the first two locales
# must be generated (Debian 12 ships none but C.UTF-8).
locales=(en_US.UTF-8 ja_JP.UTF-8)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
generate_locales() {
  local wanted=()
  for l in "${locales[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || wanted+=("$l")
  done
  [ ${#wanted[@]} -eq 0 ] && return 0
  echo "setup: generating locales ${wanted[*]}"
  for l in "${wanted[@]}"; do
    $SUDO sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
generate_locales
