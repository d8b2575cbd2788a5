#!/usr/bin/env bash
# Installs what building, running, testing and packaging Ottomix need on Debian 12,
# and only what is missing. Quiet when everything is there.
set -euo pipefail

PACKAGES=(
  build-essential cmake make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool imagemagick x11-utils libxcb1-dev openbox wmctrl
  desktop-file-utils
  dpkg-dev file appstream groff-base man-db lintian
  xdg-utils libglib2.0-bin qt6-gtk-platformtheme
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi weston qt6-wayland
)

# `setup.sh fuzz`: also clang and libFuzzer's runtime, for make fuzz;
# `setup.sh lint`: the formatter and clang-tidy, for make lint.
if [ "${1:-}" = fuzz ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
elif [ "${1:-}" = lint ]; then
  PACKAGES+=(clang-format clang-tidy)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  SUDO=(sudo -n)
else
  echo "Ottomix set-up: these packages are missing: ${missing[*]}" >&2
  echo "Installing them needs root. Run this as root or with sudo, or install them yourself:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "Ottomix set-up: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
