#!/usr/bin/env bash
# Takes docs/pelmora.png: the main window on Wine's shell32.dll, in a Wine
# virtual desktop on a private virtual display. Run it from anywhere after
# a build (scripts/test or scripts/run builds).
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
arch=$(pelmora_test_arch)
exe="$(pelmora_build_dir "$arch")/app/pelmora.exe"
[ -f "$exe" ] || { echo "make_screenshot: build pelmora.exe first" >&2; exit 1; }
out="$ROOT/docs/pelmora.png"

# A prefix of its own, so that ending its Wine processes touches no other run.
export WINEPREFIX="$(pelmora_build_dir "$arch")/shotprefix"
pelmora_wine_env "$arch"
pelmora_ensure_prefix
pelmora_start_xvfb
cleanup() { wineserver -k 2>/dev/null || true; pelmora_stop_xvfb; }
trap cleanup EXIT

# The virtual desktop draws the window's frame and caption.
"$WINELOADER" explorer /desktop=Pelmora,720x480 "$exe" 'C:\windows\system32\shell32.dll' \
  >/dev/null 2>&1 &
sleep "${PELMORA_SHOT_WAIT:-15}"
import -window root -crop 720x480+0+0 +repage "$out"
echo "make_screenshot: wrote $out"
