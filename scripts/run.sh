#!/usr/bin/env bash
# Starts Ottomix. Without a display (a plain console or a CI box) it shows
# what the cipher job does through ottomix-cli instead.
set -euo pipefail
BUILD=${1:-build}
if [ -x "$BUILD/ui/ottomix" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$BUILD/ui/ottomix"
fi
CLI="$(realpath "$BUILD/cli/ottomix-cli")"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'Hello, Ottomix!\nA second line.\n' > "$dir/sample.txt"
echo "No display here: a demonstration of ottomix-cli in $dir instead."
echo "\$ ottomix-cli encrypt --text sample.txt"
(cd "$dir" && "$CLI" encrypt --text sample.txt)
echo "encrypt.txt:"; od -A d -t x1 "$dir/encrypt.txt"
echo "\$ ottomix-cli decrypt --text encrypt.txt"
(cd "$dir" && "$CLI" decrypt --text encrypt.txt)
echo "dencrypt.txt:"; cat "$dir/dencrypt.txt" | tr -d '\r'
