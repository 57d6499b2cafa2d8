#!/usr/bin/env bash
# The program as `cmake --install` lays it out, in a temporary root: the
# files are where the desktop looks for them, and the program started by its
# link in bin, its own directory read-only as after a package install, loads
# its decoder, runs the demo market offscreen, writes its picture and keeps
# its settings under $XDG_CONFIG_HOME/velloran.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'chmod -R u+w "$root"; rm -rf "$root"' EXIT

cmake --install "$build" --prefix "$root/usr" >/dev/null
lib=$(dirname "$(readlink -f "$root/usr/bin/velloran")")
fail() { echo "FAIL: $*" >&2; exit 1; }
for f in "$lib/velloran" "$lib/libQZCommDEC.so" "$root/usr/share/applications/velloran.desktop" \
         "$root/usr/share/icons/hicolor/scalable/apps/velloran.svg"; do
  [[ -e "$f" ]] || fail "not installed: $f"
done
[[ "$lib" == "$root/usr/lib"* ]] || fail "bin/velloran does not lead into lib: $lib"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/velloran.desktop"
fi
grep -q '^Exec=velloran' "$root/usr/share/applications/velloran.desktop" || fail "Exec line"

chmod -R a-w "$lib"
mkdir -p "$root/home" "$root/config"
# Root writes into a read-only directory all the same: the program runs as
# nobody then, as a desktop user would.
as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chmod 755 "$root"
  chown 65534:65534 "$root/home" "$root/config"
  chmod 777 "$root"  # for the picture
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
"${as_user[@]}" env -u VELLORAN_DATA_DIR HOME="$root/home" XDG_CONFIG_HOME="$root/config" QT_QPA_PLATFORM=offscreen \
  timeout 100 "$root/usr/bin/velloran" --demo --screenshot "$root/shot.png" \
  --screenshot-after 3 --quit-after 4 >"$root/out.txt" 2>&1 || { cat "$root/out.txt"; fail "exit code"; }
[[ -s "$root/shot.png" ]] || { cat "$root/out.txt"; fail "no picture"; }
[[ -f "$root/config/velloran/qza.cfg" ]] || fail "settings not under XDG_CONFIG_HOME"
[[ $(ls "$lib" | wc -l) -eq 2 ]] || fail "files written beside the program: $(ls "$lib")"
echo "installed program ran: $(grep -c . "$root/out.txt") lines of output, picture written"
