#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and ./run.sh need; with --packaging also
# those scripts/package.sh needs.
# Idempotent: prints nothing and changes nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libxcb1-dev
  # Qt's own dialogs (colour chooser, file dialogs, Yes/No buttons) in the interface language.
  qt6-translations-l10n
  # lupdate and lrelease (qt_add_translations): the program's own texts in English, built from
  # the .ts file in translations/.
  qt6-l10n-tools qt6-tools-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  fonts-liberation fonts-dejavu-core
  python3
  # A real X display: ./run.sh without a display, its screenshots, and the end-to-end tests.
  xvfb xauth x11-utils x11-xserver-utils xcompmgr imagemagick
  # A window manager, a tray host, input and a private session bus for the end-to-end tests.
  openbox trayer xdotool dbus
  desktop-file-utils # desktop-file-validate checks the autostart entry the options dialog writes
  # Cairo and Magick++ draw the overlay beside ours in peer_overlay_bench and peer_tests.
  libcairo2-dev libmagick++-dev
  # The installed tree and its test: the AppStream metadata checked, the man pages written from
  # --help and read back (desktop-file-validate, above, checks the desktop entry too).
  appstream help2man man-db
  # XFixes: the indicator hears from the X server when a compositing manager starts or stops.
  libxcb-xfixes0-dev
  # scripts/soak.sh steps the indicator's wall clock with libfaketime.
  faketime
)
# scripts/package.sh (--packaging): the package checker, and dpkg-shlibdeps with the file type
# probe CPack uses to find the programs whose library dependencies it computes.
if [ "${1:-}" = "--packaging" ]; then
  packages+=(lintian dpkg-dev file)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
