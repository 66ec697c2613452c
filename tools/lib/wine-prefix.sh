# Shared by the scripts that run Windows programs: prefix creation, the
# long-lived wineserver and a private X server. Expects WINEPREFIX to be set.

ensure_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")" || return 1
  if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
    (
      flock 9
      if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
        wineboot -i >/dev/null 2>&1 && wineserver -w && touch "$WINEPREFIX/.qm-ready"
      fi
    ) 9>"$WINEPREFIX.lock" || return 1
    [ -f "$WINEPREFIX/.qm-ready" ] || { echo "wine-run: could not create the Wine prefix $WINEPREFIX" >&2; return 1; }
  fi
  # Lingers 30 s after the last client, so consecutive runs reuse it; a second
  # start while one is running simply fails, which is fine.
  wineserver -p30 >/dev/null 2>&1 || true
}

# Starts Xvfb on the first free display number; sets DISPLAY and xvfb_pid.
start_private_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    local tries
    for tries in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  done
  echo "wine-run: could not start Xvfb" >&2
  return 1
}

# begin_wine_session PREFIX: Windows programs started from here on run in
# PREFIX, quietly; when the script exits, the prefix's wineserver and the Xvfb
# that start_private_xvfb may have started are ended, so no caller waits on
# processes we left behind.
begin_wine_session() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  xvfb_pid=
  trap end_wine_session EXIT
}

end_wine_session() {
  wineserver -k >/dev/null 2>&1
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
