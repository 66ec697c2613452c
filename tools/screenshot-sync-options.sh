#!/usr/bin/env bash
# Takes the README's screenshot of Pelloquin's "Sync Options" dialog, with
# "Sync Selected" chosen over the stand-in's sample address book, under a
# private Xvfb, into docs/screenshots/sync-options.png. Uses a Wine prefix of
# its own in which Wine draws the window frames itself, as there is no window
# manager to draw them.
#
#   tools/screenshot-sync-options.sh [BUILD_DIR]   (default: build/x86_64)
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" imagemagick || exit 1
build=$(realpath -m "${1:-$root/build/x86_64}")
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset x86_64 -S "$root" -B "$build" >/dev/null || exit 1
fi
echo "Building PelloquinScreenshotStage in $build..."
cmake --build "$build" -j2 --target PelloquinScreenshotStage >"$build/screenshot-sync-options.log" 2>&1 || {
  tail -n 40 "$build/screenshot-sync-options.log" >&2
  exit 1
}

out="$root/docs/screenshots"
export WINEPREFIX="$build/screenshots-wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
. "$root/tools/lib/wine-prefix.sh"
unset DISPLAY
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
ensure_wine_prefix || exit 1
start_private_xvfb || exit 1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null || exit 1

mkdir -p "$out"
coproc STAGE { wine "$build/tests/sync_provider/PelloquinScreenshotStage.exe" 2>&1; }
stage_pid=$STAGE_PID
taken=0
while read -r word name left top width height <&"${STAGE[0]}"; do
  [ "$word" = shot ] || { echo "stage: $word $name $left $top $width $height" >&2; continue; }
  import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" +repage "$out/$name.png" || exit 1
  echo "  docs/screenshots/$name.png"
  taken=$((taken + 1))
  echo taken >&"${STAGE[1]}"
done
wait "$stage_pid" 2>/dev/null
[ "$taken" -eq 1 ] || { echo "expected 1 screenshot, took $taken" >&2; exit 1; }
