#!/usr/bin/env bash
# Checks keelway as it installs: `cmake --install` into a temporary prefix, keelway-cli on the
# installed demo from a fresh user's data folder (first run copies the demo, later runs keep
# the user's files), the menu entry, and the Debian package. Needs a built `build/`.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/keelway bin/keelway-cli share/applications/keelway.desktop \
  share/icons/hicolor/scalable/apps/keelway.svg share/man/man1/keelway-cli.1.gz \
  share/keelway/demo/raceadmin/racefile.st; do
  [ -f "$work/prefix/$f" ] || { echo "install-test: $f was not installed" >&2; exit 1; }
done
desktop-file-validate "$work/prefix/share/applications/keelway.desktop"

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

# The Debian package.
rm -f "$build"/keelway_*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
deb=$(ls "$build"/keelway_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb" >"$work/contents.txt"
for f in usr/bin/keelway usr/bin/keelway-cli usr/share/applications/keelway.desktop \
  usr/share/keelway/demo/raceadmin/racefile.st; do
  grep -q " \./$f\$" "$work/contents.txt" || { echo "install-test: $f not in the package" >&2; exit 1; }
done
echo "install-test: installed tree, first run, menu entry and $(basename "$deb") all right"
