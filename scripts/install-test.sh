#!/usr/bin/env bash
# Checks keelway as it installs: `cmake --install` into a temporary prefix, keelway-cli on the
# installed demo from a fresh user's data folder (first run copies the demo, later runs keep
# the user's files), the menu entry, the AppStream metadata, and the Debian package as lintian
# sees it. Needs a built `build/`.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "install-test: $*" >&2; exit 1; }
metainfo=share/metainfo/invalid.keelway.keelway.metainfo.xml

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/keelway bin/keelway-cli share/applications/keelway.desktop \
  share/icons/hicolor/scalable/apps/keelway.svg share/man/man1/keelway-cli.1.gz \
  share/man/man1/keelway.1.gz share/doc/keelway/copyright share/doc/keelway/changelog.gz \
  share/lintian/overrides/keelway $metainfo share/keelway/demo/raceadmin/racefile.st; do
  [ -f "$work/prefix/$f" ] || fail "$f was not installed"
done
desktop-file-validate "$work/prefix/share/applications/keelway.desktop"
# Gzipped without a name or a time stamp (flags and mtime all zero), so builds are reproducible.
for f in "$work"/prefix/share/man/man1/*.gz "$work/prefix/share/doc/keelway/changelog.gz"; do
  [ "$(od -An -tx1 -j3 -N5 "$f" | tr -d ' \n')" = 0000000000 ] || fail "$f keeps a name or time"
done
# The id's top-level domain is the reserved "invalid", which the validator does not know (see
# the file's comment): that note alone is lowered to pedantic, anything else fails. validate-tree
# also finds the desktop entry the metadata launches.
appstream_ok=(--no-net --strict --override=cid-maybe-not-rdns=pedantic)
appstreamcli validate "${appstream_ok[@]}" "$work/prefix/$metainfo"
appstreamcli validate-tree "${appstream_ok[@]}" "$work/prefix" >/dev/null ||
  fail "appstreamcli validate-tree $work/prefix fails"
# Every override says why, on the comment line above it.
awk '!/^#/ && NF && prev !~ /^#/ { bad = 1 } { prev = $0 } END { exit bad }' \
  resources/debian/lintian-overrides || fail "a lintian override without its reason"
# The copyright file names paths that exist, and a licence text for every licence it uses.
awk -v RS= '/^Files:/ { for (i = 2; i <= NF && $i != "Copyright:"; ++i) print "path", $i }
  /^Files:/ && match($0, /\nLicense: [^\n]+/) {
    print "uses", substr($0, RSTART + 10, RLENGTH - 10) }
  /^License:/ { sub(/\n.*/, ""); print "text", substr($0, 10) }' resources/debian/copyright \
  >"$work/copyright.txt"
while read -r kind value; do
  case $kind in
  path) [ "$value" = "*" ] || compgen -G "$value" >/dev/null || fail "copyright: no $value" ;;
  uses) grep -qx "text $value" "$work/copyright.txt" || fail "copyright: no text of $value" ;;
  esac
done <"$work/copyright.txt"

# A fresh user: the first run copies the demo into the user's data folder and says so.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME"
cli="$work/prefix/bin/keelway-cli"
"$cli" summary >"$work/first.txt" 2>"$work/first.err"
grep -q "copied its demo races into $XDG_DATA_HOME/keelway" "$work/first.err"
[ -f "$XDG_DATA_HOME/keelway/raceadmin/racefile.st" ]
grep -q '^Boats (' "$work/first.txt"
# The user's own changes survive later runs, which copy nothing.
echo "my note" >"$XDG_DATA_HOME/keelway/raceadmin/notes.txt.keep"
"$cli" summary --json >"$work/second.json" 2>"$work/second.err"
! grep -q "copied" "$work/second.err"
grep -q "my note" "$XDG_DATA_HOME/keelway/raceadmin/notes.txt.keep"
grep -q '"boats"' "$work/second.json"
# --data and its synonym --root open the installed demo itself.
"$cli" summary --data "$work/prefix/share/keelway/demo" >/dev/null 2>&1
"$cli" summary --root "$work/prefix/share/keelway/demo" >/dev/null 2>&1
# The replay page needs nothing installed beside the program: its own files are inside it.
"$cli" html --out "$work/replay.html" >/dev/null 2>&1
grep -q 'id="race-positions"' "$work/replay.html"
# The video encoder is a module the installed program finds in its private library folder.
compgen -G "$work/prefix/lib/keelway/keelway_video.so" >/dev/null ||
  compgen -G "$work/prefix/lib/*/keelway/keelway_video.so" >/dev/null ||
  fail "the video encoder module was not installed"
"$cli" video --to 2 --size 320x240 --out "$work/v.mp4" >/dev/null 2>&1 ||
  fail "keelway-cli video does not find its encoder when installed"
[ -s "$work/v.mp4" ] || fail "keelway-cli video wrote no video"

# The Debian package.
rm -f "$build"/keelway_*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
deb=$(ls "$build"/keelway_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb" >"$work/contents.txt"
for f in usr/bin/keelway usr/bin/keelway-cli usr/share/applications/keelway.desktop \
  usr/share/keelway/demo/raceadmin/racefile.st usr/share/doc/keelway/copyright \
  usr/share/doc/keelway/changelog.gz usr/share/lintian/overrides/keelway "usr/$metainfo"; do
  grep -q " \./$f\$" "$work/contents.txt" || fail "$f not in the package"
done
grep -q " \./usr/lib/.*keelway/keelway_video\.so\$" "$work/contents.txt" ||
  fail "the video encoder module is not in the package"
# Both programs and the changelog say the package's version; --version needs no display.
version=$(dpkg-deb -f "$deb" Version)
for program in keelway keelway-cli; do
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$work/prefix/bin/$program" --version)
  [ "$said" = "$program $version" ] || fail "$program --version says '$said', not $version"
done
zcat "$work/prefix/share/doc/keelway/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's newest entry is not $version"
# No error and no warning; an override that no longer matches anything is reported as well.
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.txt" 2>"$work/lintian.err" ||
  { cat "$work/lintian.txt" "$work/lintian.err" >&2; fail "lintian fails on $(basename "$deb")"; }
! grep -E "unused-override|mismatched-override" "$work/lintian.txt" || fail "a stale override"
echo "install-test: installed tree, first run, menu entry, metadata and $(basename "$deb")" \
  "(lintian: no error, no warning) all right"
