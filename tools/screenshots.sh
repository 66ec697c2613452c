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
begin_wine_session "$build/screenshots-wineprefix"
unset DISPLAY
ensure_wine_prefix || exit 1
start_private_xvfb || exit 1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null || exit 1

mkdir -p "$out"
# The stage shows one window at a time and names it; each is taken from the
# screen and the stage is told to go on.
coproc STAGE { wine "$build/tests/export_import/QuillmereScreenshotStage.exe" 2>&1; }
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
[ "$taken" -eq 4 ] || { echo "expected 4 screenshots, took $taken" >&2; exit 1; }
