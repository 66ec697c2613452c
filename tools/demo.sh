#!/usr/bin/env bash
# The main job, on the embedded default (the stand-in's sample address book):
#
#   tools/demo.sh [--arch i686|x86_64] [export|sync]     (both parts when no part is named)
#
# Runs the shipping build, i686: the 32-bit Quillmere and Pelloquin with the
# 32-bit stand-ins of Outlook and the service manager, as on a user's machine;
# --arch x86_64 runs the 64-bit build instead. Installs what is missing, builds
# both architectures, and prepares the Wine prefix build/<arch>/wineprefix: the
# Outlook stand-in's local server OutlookStandin.exe registered as Outlook and
# seeded with the sample address book, Pelloquin.dll registered as the contact
# provider. Then:
#   export  Quillmere: its window when a display is available, otherwise the
#           command-line export to C:\ContactDB\sample.fs and what it holds;
#   sync    SyncHost synchronises the address book with a new simulated device
#           (build/<arch>/sync-demo/device.dvc) and the device is listed.
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

usage_text="usage: tools/demo.sh [--arch i686|x86_64] [export|sync]
exit status: 0 done, 1 failed (the reason is on standard error), 2 arguments not understood"
# usage PROBLEM: the problem, named, and the usage on standard error; exit 2.
usage() {
  echo "demo.sh: $1" >&2
  echo "$usage_text" >&2
  exit 2
}

for argument in "$@"; do
  case $argument in
    --help | -h | /?) echo "$usage_text"; exit 0 ;;
  esac
done
arch=i686
if [ "${1:-}" = --arch ]; then
  [ $# -ge 2 ] || usage "--arch needs i686 or x86_64"
  arch=$2
  shift 2
fi
case "$arch" in
  i686 | x86_64) ;;
  *) usage "--arch is i686 or x86_64, not \"$arch\"" ;;
esac
[ $# -le 1 ] || usage "\"$2\" is one argument too many: name one part, or none for both"
parts=${1:-export sync}
case "$parts" in
  export | sync | "export sync") ;;
  *) usage "\"$parts\" is not understood: the part is export or sync" ;;
esac

ensure_packages "${required_packages[@]}" || exit 1
configure_and_build i686 x86_64 || exit 1

build="$root/build/$arch"
. "$root/tools/lib/wine-prefix.sh"
begin_wine_session "$build/wineprefix"
# Outlook runs as it does on Windows, in a process of its own that the
# programs reach through COM: the stand-in's local server. It is a
# single-threaded apartment, which under Wine needs a display, so without one
# the demo gives it a private one (Quillmere still runs from its command line).
user_display=${DISPLAY:-}
if [ -z "$user_display" ]; then
  start_private_xvfb || exit 1
fi
ensure_wine_prefix || exit 1

echo "Registering the $arch Outlook stand-in (local server) and contact provider in $WINEPREFIX"
wine "$build/standins/outlook/OutlookStandin.exe" /RegServer || {
  echo "demo.sh: OutlookStandin.exe /RegServer failed" >&2
  exit 1
}
"$root/tools/register-provider" --prefix "$WINEPREFIX" "$build/sync_provider/Pelloquin.dll" || exit 1
wine "$build/tools/SeedStandin.exe" | tr -d '\r'
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1

run_quillmere() {
  local quillmere="$build/export_import/Quillmere.exe"
  if [ -n "$user_display" ]; then
    echo "Opening Quillmere on display $DISPLAY; close its window to go on."
    wine "$quillmere"
    return
  fi

  # No display: the command-line export, into a file of the demo's own.
  local file="$WINEPREFIX/drive_c/ContactDB/sample.fs"
  rm -f "$file"
  wine "$quillmere" /export 'C:\ContactDB\sample.fs' | tr -d '\r'
  [ "${PIPESTATUS[0]}" -eq 0 ] || return 1

  # A record is 3840 bytes of UTF-16 fields after the 8-byte header; the last
  # name starts at byte 256 of a record, the first name at byte 128.
  field() { # OFFSET LENGTH
    dd if="$file" bs=1 skip="$1" count="$2" status=none | iconv -f UTF-16LE -t UTF-8 | tr -d '\0'
  }
  local size count index record
  size=$(stat -c %s "$file")
  count=$(od -An -t d4 -j 4 -N 4 "$file" | tr -d ' ')
  echo "$file: $size bytes, $count records"
  for ((index = 0; index < count; index++)); do
    record=$((8 + 3840 * index))
    printf '%3d  %s, %s\n' $((index + 1)) "$(field $((record + 256)) 128)" "$(field $((record + 128)) 128)"
  done
}

run_synchronisation() {
  # A new device each time: its store and the host's partnership state.
  local demo="$build/sync-demo" device
  rm -rf "$demo" && mkdir -p "$demo" || return 1
  device=$(winepath -w "$demo/device.dvc")

  echo "Synchronising the desktop's contacts with the simulated device $device"
  wine "$build/standins/sync_host/SyncHost.exe" --device "$device" | tr -d '\r'
  [ "${PIPESTATUS[0]}" -eq 0 ] || return 1

  echo
  echo "The device now holds (DeviceTool \"$device\" list):"
  wine "$build/standins/device/DeviceTool.exe" "$device" list | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

for part in $parts; do
  echo
  case "$part" in
    export) run_quillmere || exit 1 ;;
    sync) run_synchronisation || exit 1 ;;
  esac
done
