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

# Starts Xvfb on a display number it picks itself (-displayfd), so two
# scripts starting one at the same moment never share it; sets DISPLAY and
# xvfb_pid.
start_private_xvfb() {
  local number_file tries
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for tries in $(seq 100); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  kill "$xvfb_pid" 2>/dev/null
  xvfb_pid=
  echo "could not start Xvfb" >&2
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
