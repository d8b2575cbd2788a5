#!/usr/bin/env bash
# Installing Ottomix's desktop entry changes no default application: on a
# system with other handlers and no defaults list, xdg-mime and gio name the
# same default for every common type before and after. Ottomix is still
# among the applications a file manager's "Open with" offers for any file.
# Works in a scratch XDG tree, so it needs no root and touches nothing.
# Usage: mime_defaults_check.sh DESKTOP_ENTRY SCRATCH_DIR
set -uo pipefail
entry=$1
scratch=$2
for tool in xdg-mime gio update-desktop-database /usr/bin/python3; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "FAIL: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
rm -rf "$scratch" && mkdir -p "$scratch"/{home/.config,home/.local/share,etc/xdg,usr/share/applications}
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_CONFIG_DIRS=$scratch/etc/xdg
export XDG_DATA_HOME=$scratch/home/.local/share XDG_DATA_DIRS=$scratch/usr/share
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
apps=$scratch/usr/share/applications
# GLib lists only entries whose program it finds.
mkdir -p "$scratch/bin" && printf '#!/bin/sh\n' >"$scratch/bin/ottomix" && chmod +x "$scratch/bin/ottomix"
export PATH=$scratch/bin:$PATH

# The handlers a desktop system has, each claiming its types.
handler() {
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s %%f\nMimeType=%s\n' \
    "$1" "$1" "$2" >"$apps/$1.desktop"
}
handler vim 'text/plain;text/markdown;text/csv;'
handler display-im6.q16 'image/png;application/pdf;'
handler firefox-esr 'text/html;'
handler ghex 'application/octet-stream;'
handler libreoffice-writer 'application/msword;application/vnd.oasis.opendocument.text;application/vnd.openxmlformats-officedocument.wordprocessingml.document;'
handler libreoffice-calc 'application/vnd.ms-excel;application/vnd.oasis.opendocument.spreadsheet;'
types=(text/plain application/pdf text/html application/octet-stream image/png text/markdown
       text/csv application/msword application/vnd.ms-excel
       application/vnd.oasis.opendocument.text
       application/vnd.openxmlformats-officedocument.wordprocessingml.document)

defaults() {
  update-desktop-database "$apps" 2>/dev/null
  for t in "${types[@]}"; do
    printf '%s xdg-mime=%s gio=%s\n' "$t" "$(xdg-mime query default "$t")" \
      "$(gio mime "$t" 2>/dev/null | sed -n 's/^Default application for .*: //p')"
  done
}

before=$(defaults)
grep -q 'text/plain xdg-mime=vim.desktop gio=vim.desktop' <<<"$before" ||
  { echo "FAIL: the scratch tree does not work: $before" >&2; exit 1; }

# A desktop entry that claims the types would take them over here: the
# check can see the fault it is for.
sed '/^\[Desktop Entry\]/a MimeType=text/plain;application/pdf;' "$entry" >"$apps/ottomix.desktop"
claimed=$(defaults)
if [ "$claimed" = "$before" ]; then
  echo "FAIL: a claiming entry changed no default; the check proves nothing" >&2
  exit 1
fi

cp "$entry" "$apps/ottomix.desktop"
after=$(defaults)
status=0
if [ "$after" != "$before" ]; then
  echo "FAIL: installing Ottomix changed defaults:" >&2
  diff <(echo "$before") <(echo "$after") >&2
  status=1
fi

# What GTK's and KDE's "Open with other application" lists: every shown
# application that opens files.
offered=$(/usr/bin/python3 - <<'PY'
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
print(any(a.get_id() == "ottomix.desktop" and a.should_show() and a.supports_files()
          for a in Gio.AppInfo.get_all()))
PY
)
[ "$offered" = True ] || { echo "FAIL: Ottomix is not offered for opening files" >&2; status=1; }
[ $status -eq 0 ] && echo "defaults unchanged for ${#types[@]} types; Ottomix offered in Open with"
rm -rf "$scratch"
exit $status
