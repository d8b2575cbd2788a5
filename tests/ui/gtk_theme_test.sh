#!/usr/bin/env bash
# Runs the legibility test under GNOME's dark theme as Qt's gtk3 platform
# theme applies it: on an X display of its own (Xvfb), with
# XDG_CURRENT_DESKTOP=GNOME and GTK_THEME=Adwaita:dark.
# Usage: gtk_theme_test.sh DARK_PALETTE_TEST; exit 77 when it cannot run here.
set -uo pipefail
test_program=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/x_display.sh
source "$here/../../scripts/x_display.sh"
plugin=$(find /usr/lib -path '*qt6/plugins/platformthemes/libqgtk3.so' 2>/dev/null | head -n1)
if ! command -v Xvfb >/dev/null 2>&1 || [ -z "$plugin" ]; then
  echo "SKIP: needs Xvfb and Qt's gtk3 platform theme (qt6-gtk-platformtheme)"
  exit 77
fi
work=$(mktemp -d)
trap 'kill "${XVFB_PID:-}" 2>/dev/null; rm -rf "$work"' EXIT
start_xvfb "$work" || { cat "$work/xvfb.log" >&2; exit 1; }
export XDG_CURRENT_DESKTOP=GNOME GTK_THEME=Adwaita:dark QT_QPA_PLATFORMTHEME=gtk3
export OTTOMIX_TEST_THEME=platform HOME=$work NO_AT_BRIDGE=1
"$test_program"
