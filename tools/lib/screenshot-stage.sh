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

# The fonts the shots need, installed into the prefix by install_screenshot_fonts.
# Wine's own (fonts-wine): Tahoma and MS Sans Serif, which the dialogs name,
# and Marlett, whose letters Wine draws the caption buttons with. This Wine
# does not load them from its data folder by itself, and without them a
# caption shows a stray "r" where the close button belongs.
wine_own_fonts=(/usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf
                /usr/share/wine/fonts/ms_sans_serif.ttf /usr/share/wine/fonts/marlett.ttf)
# Noto, linked behind every face the dialogs use, for what those faces lack:
# the sample address book's Chinese and Japanese names (CJK, with its
# supplementary ideographs), and Greek, further Latin and Cyrillic letters,
# symbols and emoji as far as a monochrome font draws them.
noto_fallbacks=(NotoSansCJK-Regular.ttc,Noto\ Sans\ CJK\ JP NotoSans-Regular.ttf,Noto\ Sans
                NotoSansSymbols-Regular.ttf,Noto\ Sans\ Symbols NotoSansSymbols2-Regular.ttf,Noto\ Sans\ Symbols2)

install_screenshot_fonts() {
  local font face links view
  for font in "${wine_own_fonts[@]}"; do
    cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/" || { echo "missing $font (package fonts-wine)" >&2; return 1; }
  done
  links=$(printf '%s\\0' "${noto_fallbacks[@]}")
  # Both registry views: a stage of either word size reads its own.
  for view in /reg:32 /reg:64; do
    for face in Tahoma "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d "${links%\\0}" $view /f >/dev/null 2>&1 || return 1
    done
  done
}

# begin_screenshot_session BUILD_DIR: a Wine session in the build's own
# screenshot prefix, on a private Xvfb, with the fonts the shots need and
# Wine drawing the window frames itself, as there is no window manager to
# draw them.
begin_screenshot_session() {
  begin_wine_session "$1/screenshots-wineprefix"
  unset DISPLAY
  ensure_wine_prefix || return 1
  # Before any Windows program: Wine's background processes keep the display
  # of the first one.
  start_private_xvfb || return 1
  install_screenshot_fonts || return 1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
}
