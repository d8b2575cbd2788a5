#!/usr/bin/env bash
# Builds the Debian package from a build tree with CPack, in a scratch
# directory, takes it apart with dpkg-deb and checks it as Debian and the
# desktop would: control fields, programs, desktop entry, AppStream
# metadata, manual pages, copyright file, icons, and that it holds exactly
# what `cmake --install` puts under a prefix. Needs no root.
# Usage: deb_contents_check.sh BUILD_DIR SCRATCH_DIR VERSION [HARDENED]
# HARDENED: ON when the build used the hardening flags (an optimised build
# without sanitizers); only then are lintian's hardening tags faults.
set -uo pipefail

build=$1
scratch=$2
version=$3
hardened=${4:-ON}
SKIP=77

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Without dpkg this is no Debian system and there is no package to build.
# On one that has it, every other tool is a Debian package away, so a
# missing one is a set-up fault, not a reason to skip.
if ! command -v dpkg-deb >/dev/null 2>&1 || ! command -v dpkg >/dev/null 2>&1; then
  echo "SKIP: dpkg and dpkg-deb are not here; a Debian package can only be built and checked on Debian"
  exit $SKIP
fi
missing=()
for tool_package in cpack:cmake dpkg-shlibdeps:dpkg-dev file:file \
                    desktop-file-validate:desktop-file-utils appstreamcli:appstream \
                    groff:groff-base gzip:gzip lintian:lintian; do
  command -v "${tool_package%%:*}" >/dev/null 2>&1 || missing+=("${tool_package#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "FAIL: missing Debian packages: ${missing[*]} (scripts/setup.sh installs them)" >&2
  exit 1
fi

rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch" || exit 1

# CPack builds what is out of date, installs into its own staging tree
# under -B and packs it there; nothing is written into the sources.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >cpack.log 2>&1; then
  cat cpack.log >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
deb="$scratch/out/ottomix_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
  echo "FAIL: no ${deb##*/}; cpack made: $(ls "$scratch/out")" >&2
  exit 1
fi

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = ottomix ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)'"
[ "$(field Maintainer)" = "Mirrowen Software <feedback@mirrowen.example>" ] ||
  fail "Maintainer is '$(field Maintainer)'"
[ "$(field Homepage)" = "http://www.mirrowen.example" ] || fail "Homepage is '$(field Homepage)'"
depends=$(field Depends)
echo "Depends: $depends"
[ -n "$depends" ] || fail "Depends is empty: dpkg-shlibdeps did not run"
# Computed entries carry the minimum version of each library's symbols.
grep -Eq '(^|, )libqt6widgets6 \(>= [0-9.]+\)' <<<"$depends" ||
  fail "Depends lacks the Qt 6 widgets library package"
grep -Eq '(^|, )libc6 \(>= [0-9.]+\)' <<<"$depends" || fail "Depends lacks libc6"
description=$(field Description)
[ "$(head -n1 <<<"$description")" = "scramble and unscramble one file at a time" ] ||
  fail "Description summary is '$(head -n1 <<<"$description")'"
[ "$(wc -l <<<"$description")" -gt 3 ] || fail "Description has no long text"
long=$(awk 'length > 80' <<<"$description")
[ -z "$long" ] || fail "Description lines over 80 columns: $long"

# Every entry under /usr, owned by root, with Debian's permissions.
dpkg-deb --contents "$deb" >contents.txt || fail "dpkg-deb --contents failed"
while read -r mode owner _size _date _time path _rest; do
  case "$path" in ./usr/*) ;; *) fail "entry outside /usr: $path" ;; esac
  [ "$owner" = root/root ] || fail "$path is owned by $owner"
  case "$mode" in
    drwxr-xr-x | -rw-r--r-- | -rwxr-xr-x) ;;
    *) fail "$path has mode $mode" ;;
  esac
done <contents.txt

root="$scratch/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x failed" >&2; exit 1; }

# The programs: executable, stripped, and the packaged command-line
# program round-trips a file.
for prog in ottomix ottomix-cli; do
  p="$root/usr/bin/$prog"
  if [ ! -f "$p" ] || [ ! -x "$p" ]; then
    fail "usr/bin/$prog is missing or not executable"
    continue
  fi
  kind=$(file -b "$p")
  case "$kind" in
    ELF*", stripped"*) ;;
    *) fail "usr/bin/$prog: $kind" ;;
  esac
done
if [ -x "$root/usr/bin/ottomix-cli" ]; then
  cli="$root/usr/bin/ottomix-cli"
  "$cli" --help >help.txt 2>&1 && grep -q '^Usage: ottomix-cli' help.txt ||
    fail "ottomix-cli --help: $(cat help.txt)"
  mkdir -p run
  printf 'any bytes \x00\x0d\x1a\xff\n' >run/input.bin
  if (cd run && "$cli" encrypt --binary input.bin >/dev/null 2>&1 &&
      "$cli" decrypt --binary encrypt.exe -o back.bin >/dev/null 2>&1); then
    cmp -s run/input.bin run/back.bin || fail "packaged ottomix-cli did not round-trip a file"
    [ "$(od -An -tx1 -N3 run/encrypt.exe | tr -d ' ')" = 626f7a ] ||
      fail "packaged ottomix-cli: 'any' did not encrypt to 'boz'"
  else
    fail "packaged ottomix-cli could not encrypt and decrypt a file"
  fi
fi

# Desktop entry and the icons it names.
desktop="$root/usr/share/applications/ottomix.desktop"
if [ -f "$desktop" ]; then
  # Hints are advice; errors and warnings are faults.
  if ! out=$(desktop-file-validate "$desktop" 2>&1) || grep -Eq ': (error|warning): ' <<<"$out"; then
    fail "desktop-file-validate: $out"
  fi
  grep -qx 'Exec=ottomix %f' "$desktop" || fail "desktop entry does not run 'ottomix %f'"
  grep -qx 'Icon=ottomix' "$desktop" || fail "desktop entry does not name the ottomix icon"
  # Claiming a type could make Ottomix its default where no defaults list says otherwise.
  ! grep -q '^MimeType=' "$desktop" || fail "desktop entry claims file types: $(grep '^MimeType=' "$desktop")"
else
  fail "usr/share/applications/ottomix.desktop is missing"
fi
menu="$root/usr/share/kio/servicemenus/ottomix.desktop"
if [ -f "$menu" ]; then
  grep -qx 'Exec=ottomix --encrypt %f' "$menu" || fail "service menu lacks Encrypt"
  grep -qx 'Exec=ottomix --decrypt %f' "$menu" || fail "service menu lacks Decrypt"
else
  fail "usr/share/kio/servicemenus/ottomix.desktop is missing"
fi
svg="$root/usr/share/icons/hicolor/scalable/apps/ottomix.svg"
[ -f "$svg" ] && file -b "$svg" | grep -q "SVG" || fail "no scalable SVG icon"
for size in 48 128; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/ottomix.png"
  if [ -f "$icon" ]; then
    file -b "$icon" | grep -q "^PNG image data, $size x $size," ||
      fail "icon ${size}x${size} is $(file -b "$icon")"
  else
    fail "icon usr/share/icons/hicolor/${size}x${size}/apps/ottomix.png is missing"
  fi
done

# AppStream metadata.
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
if [ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ]; then
  m=${metainfo[0]}
  out=$(appstreamcli validate --no-net "$m" 2>&1) || fail "appstreamcli validate: $out"
  echo "appstreamcli: $(tail -n1 <<<"$out")"
  id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$m")
  [ "${m##*/}" = "$id.metainfo.xml" ] || fail "metainfo file ${m##*/} does not match its id $id"
  grep -q '<launchable type="desktop-id">ottomix.desktop</launchable>' "$m" ||
    fail "metainfo does not launch ottomix.desktop"
  grep -q "<release version=\"$version\"" "$m" || fail "metainfo has no release $version"
  grep -q '<content_rating type="oars-' "$m" || fail "metainfo has no OARS content rating"
  grep -q '<screenshot type="default">' "$m" || fail "metainfo has no default screenshot"
  grep -q '<caption>' "$m" || fail "metainfo screenshot has no caption"
  grep -q '<description>' "$m" || fail "metainfo has no description"
else
  fail "expected one usr/share/metainfo/*.metainfo.xml, found: ${metainfo[*]##*/}"
fi

# Manual pages: gzipped without name or time stamp, and warning-free.
for page in ottomix ottomix-cli; do
  gz="$root/usr/share/man/man1/$page.1.gz"
  if [ ! -f "$gz" ]; then
    fail "usr/share/man/man1/$page.1.gz is missing"
    continue
  fi
  gzip -t "$gz" 2>/dev/null || fail "$page.1.gz is not gzip data"
  # Header bytes 3..7: flags (bit 3: a file name follows) and the time stamp.
  header=$(od -An -tx1 -j3 -N5 "$gz" | tr -d ' \n')
  [ $((0x${header:0:2} & 8)) -eq 0 ] || fail "$page.1.gz stores a file name (gzip -n)"
  [ "${header:2}" = 00000000 ] || fail "$page.1.gz stores a time stamp (gzip -n)"
  warnings=$(gzip -dc "$gz" | groff -man -ww -Tutf8 -z 2>&1)
  [ -z "$warnings" ] || fail "groff warns on $page(1): $warnings"
  gzip -dc "$gz" | groff -man -Tutf8 -P-cbou 2>/dev/null >"$page.txt"
  grep -Eq "^ +$page - " "$page.txt" || fail "$page(1) has no NAME line for $page"
  for section in SYNOPSIS DESCRIPTION "EXIT STATUS" "SEE ALSO"; do
    grep -qx "$section" "$page.txt" || fail "$page(1) has no $section section"
  done
done
for f in "$root"/usr/share/man/man1/*; do
  case "$f" in *.1.gz) ;; *) fail "not a gzipped page in man1: ${f##*/}" ;; esac
done

# Copyright file in Debian's machine-readable format.
copyright="$root/usr/share/doc/ottomix/copyright"
if [ -f "$copyright" ]; then
  [ "$(head -n1 "$copyright")" = \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "copyright does not start with the Format line"
  grep -qx 'Files: \*' "$copyright" || fail "copyright has no 'Files: *' paragraph"
  grep -qx 'Copyright: .*Mirrowen Software.*' "$copyright" || fail "copyright names no holder"
  [ "$(grep -cx 'License: MIT' "$copyright")" -eq 2 ] ||
    fail "copyright does not name MIT and give its text"
else
  fail "usr/share/doc/ottomix/copyright is missing"
fi

# make install and the package come from the same install() rules: the
# same files must land under /usr here and under a scratch prefix there.
if cmake --install "$build" --prefix "$scratch/prefix" >install.log 2>&1; then
  (cd "$scratch/prefix" && find . ! -type d | sort) >installed.txt
  (cd "$root/usr" && find . ! -type d | sort) >packaged.txt
  diff -u installed.txt packaged.txt >drift.txt ||
    fail "cmake --install and the package differ:
$(cat drift.txt)"
else
  fail "cmake --install failed: $(cat install.log)"
fi

# What Debian's own checker says, pedantic tags and hardening included:
# no error, no warning, and none of the informational tags about hardening
# or leftover sections that Debian's build tools would have avoided.
lintian_out=$(lintian --pedantic --display-info "$deb" 2>&1)
echo "$lintian_out"
grep -E '^(E|W): ' <<<"$lintian_out" && fail "lintian reports errors or warnings"
grep -E 'binary-has-unneeded-section|no-changelog' <<<"$lintian_out" &&
  fail "lintian reports a leftover section or no changelog"
if [ "$hardened" = ON ]; then
  grep -E 'hardening-' <<<"$lintian_out" && fail "lintian reports missing hardening"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; the package is in $scratch/out" >&2
  exit 1
fi
echo "package ${deb##*/}: $(grep -c '^-' contents.txt) files, all checks passed"
rm -rf "$scratch"
