#!/usr/bin/env bash
# Takes the README's screenshot of Pelloquin's "Sync Options" dialog, with
# "Sync Selected" chosen over the stand-in's sample address book, under a
# private Xvfb, into docs/screenshots/sync-options.png. Uses a Wine prefix of
# its own in which Wine draws the window frames itself, as there is no window
# manager to draw them.
#
#   tools/screenshot-sync-options.sh [BUILD_DIR]   (default: build/x86_64)
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" "${screenshot_packages[@]}" || exit 1
build=$(realpath -m "${1:-$root/build/x86_64}")
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset x86_64 -S "$root" -B "$build" >/dev/null || exit 1
fi
echo "Building PelloquinScreenshotStage in $build..."
cmake --build "$build" -j2 --target PelloquinScreenshotStage >"$build/screenshot-sync-options.log" 2>&1 || {
  tail -n 40 "$build/screenshot-sync-options.log" >&2
  exit 1
}

. "$root/tools/lib/wine-prefix.sh"
. "$root/tools/lib/screenshot-stage.sh"
begin_screenshot_session "$build" || exit 1

take_stage_shots "$build/tests/sync_provider/PelloquinScreenshotStage.exe" "$root/docs/screenshots" 1
