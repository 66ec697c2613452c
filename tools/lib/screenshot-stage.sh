# Shared by the screenshot scripts. Source it after wine-prefix.sh.

# take_stage_shots STAGE.EXE OUT_DIR COUNT: in a session of
# begin_screenshot_session, runs a screenshot stage, a program that shows one
# window at a time and prints "shot NAME LEFT TOP WIDTH HEIGHT" for it; takes
# each from the screen into OUT_DIR/NAME.png and tells the stage to go on.
# Fails unless exactly COUNT were taken.
take_stage_shots() {
  local stage=$1 out=$2 expected=$3
  local word name left top width height taken=0
  mkdir -p "$out" || return 1
  coproc STAGE { wine "$stage" 2>&1; }
  local stage_pid=$STAGE_PID
  while read -r word name left top width height <&"${STAGE[0]}"; do
    [ "$word" = shot ] || { echo "stage: $word $name $left $top $width $height" >&2; continue; }
    import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" +repage "$out/$name.png" ||
      return 1
    echo "  $out/$name.png"
    taken=$((taken + 1))
    echo taken >&"${STAGE[1]}"
  done
  wait "$stage_pid" 2>/dev/null
  [ "$taken" -eq "$expected" ] || { echo "expected $expected screenshots, took $taken" >&2; return 1; }
}

# begin_screenshot_session BUILD_DIR: a Wine session in the build's own
# screenshot prefix, on a private Xvfb, with Wine drawing the window frames
# itself, as there is no window manager to draw them.
begin_screenshot_session() {
  begin_wine_session "$1/screenshots-wineprefix"
  unset DISPLAY
  ensure_wine_prefix || return 1
  start_private_xvfb || return 1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
}
