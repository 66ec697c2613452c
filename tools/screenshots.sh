#!/usr/bin/env bash
# Takes the screenshots of Quillmere that the README and docs/user-guide.md
# show, under a private Xvfb, into docs/screenshots/: in English and in
# German, the main window, both file pickers and the message boxes of a
# successful and a failed export and import, over the stand-in's sample
# address book. Uses a Wine prefix of its own, with the fonts the shots need,
# in which Wine draws the window frames itself, as there is no window manager
# to draw them.
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" "${screenshot_packages[@]}" || exit 1
configure_and_build x86_64 || exit 1

build="$root/build/x86_64"
out="$root/docs/screenshots"
. "$root/tools/lib/wine-prefix.sh"
. "$root/tools/lib/screenshot-stage.sh"
begin_screenshot_session "$build" || exit 1

take_stage_shots "$build/tests/export_import/QuillmereScreenshotStage.exe" "$out" 14 || exit 1
