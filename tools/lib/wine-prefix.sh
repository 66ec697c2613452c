# Shared by the scripts that run Windows programs: prefix creation, the
# long-lived wineserver and a private X server. Expects WINEPREFIX to be set.

ensure_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")" || return 1
  discard_prefix_without_32_bit_side || return 1
  if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
    (
      flock 9
      # A creation that fails leaves a half-made prefix that never starts
      # again: it goes, and the creation is tried once more.
      for attempt in 1 2; do
        [ -f "$WINEPREFIX/.qm-ready" ] && break
        if wineboot -i >/dev/null 2>&1 && wineserver -w; then
          touch "$WINEPREFIX/.qm-ready"
        else
          wineserver -k >/dev/null 2>&1
          rm -rf "$WINEPREFIX"
        fi
      done
    ) 9>"$WINEPREFIX.lock" || return 1
    [ -f "$WINEPREFIX/.qm-ready" ] || { echo "wine-run: could not create the Wine prefix $WINEPREFIX" >&2; return 1; }
  fi
  # Lingers 30 s after the last client, so consecutive runs reuse it; a second
  # start while one is running simply fails, which is fine.
  wineserver -p30 >/dev/null 2>&1 || true
}

# A prefix made before 32-bit Wine was installed has no 32-bit system and no
# longer even starts; it holds nothing worth keeping, so it is made anew.
discard_prefix_without_32_bit_side() {
  [ -x "$(wine_launcher 32)" ] && [ -f "$WINEPREFIX/.qm-ready" ] || return 0
  [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && return 0
  echo "Making the Wine prefix $WINEPREFIX anew: it predates 32-bit Wine" >&2
  (
    flock 9
    if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
      WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
      rm -rf "$WINEPREFIX"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# pe_word_size FILE: 32 or 64, the word size of the Windows binary FILE, from
# the machine field of its PE header.
pe_word_size() {
  local file=$1 header signature machine
  header=$(od -An -t u4 -j 60 -N 4 "$file" 2>/dev/null | tr -d ' ')
  [ -n "$header" ] || return 1
  signature=$(od -An -t x1 -j "$header" -N 4 "$file" 2>/dev/null | tr -d ' ')
  [ "$signature" = 50450000 ] || return 1
  machine=$(od -An -t x1 -j $((header + 4)) -N 2 "$file" 2>/dev/null | tr -d ' ')
  case $machine in
    4c01) echo 32 ;;
    6486) echo 64 ;;
    *) return 1 ;;
  esac
}

# wine_launcher 32|64: the Wine loader that runs Wine's own programs (reg,
# regsvr32, cmd, cscript) in that word size. A program of ours named on the
# command line runs in its own word size whichever loader starts it, but plain
# `wine reg` is the 32-bit reg once 32-bit Wine is installed.
wine_launcher() {
  case $1 in
    32) echo /usr/lib/wine/wine ;;
    64) echo /usr/lib/wine/wine64 ;;
    *) return 1 ;;
  esac
}

# register_com_server [--unregister] DLL: has the regsvr32 of DLL's own word
# size call its DllRegisterServer (or DllUnregisterServer), so the classes land
# in the registry view that programs of that word size read.
register_com_server() {
  local switch= dll bits
  [ "$1" = --unregister ] && { switch=/u; shift; }
  dll=$1
  bits=$(pe_word_size "$dll") || { echo "not a Windows DLL: $dll" >&2; return 1; }
  "$(wine_launcher "$bits")" regsvr32 /s $switch "$(winepath -w "$dll")" >/dev/null 2>&1 || {
    echo "regsvr32 $switch could not register $dll" >&2
    return 1
  }
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

# report_hung_program PROGRAM SECONDS OUT ERR: says that PROGRAM still runs
# after SECONDS, shows what it printed so far (the files OUT and ERR), and
# where each thread of each process in the prefix waits.
report_hung_program() {
  echo "wine-run: $1 still runs after $2 s: ending it. Its output so far:"
  cat "$3" "$4"
  echo "wine-run: the processes in $WINEPREFIX and where their threads wait:"
  timeout 20 winedbg --command "info process" 2>&1
  timeout 60 winedbg --command "bt all" 2>&1
}
