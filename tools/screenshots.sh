#!/usr/bin/env bash
# Takes the README's screenshots of Quillmere under a private Xvfb, into
# docs/screenshots/: the main window in English and in German and both file
# pickers, over the stand-in's sample address book. Uses a Wine prefix of its
# own in which Wine draws the window frames itself, as there is no window
# manager to draw them.
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" imagemagick || exit 1
configure_and_build x86_64 || exit 1

build="$root/build/x86_64"
out="$root/docs/screenshots"
. "$root/tools/lib/wine-prefix.sh"
. "$root/tools/lib/screenshot-stage.sh"
begin_screenshot_session "$build" || exit 1

take_stage_shots "$build/tests/export_import/QuillmereScreenshotStage.exe" "$out" 4 || exit 1
