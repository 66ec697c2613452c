#!/usr/bin/env bash
# The main job: installs what is missing, builds both architectures, prepares
# the Wine prefix build/x86_64/wineprefix with the Outlook stand-in registered
# as Outlook and seeded with the sample address book, then runs Quillmere on
# it: its window when a display is available, otherwise the command-line
# export to C:\ContactDB\sample.fs, followed by what that file holds.
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" || exit 1
configure_and_build i686 x86_64 || exit 1

build="$root/build/x86_64"
. "$root/tools/lib/wine-prefix.sh"
begin_wine_session "$build/wineprefix"
ensure_wine_prefix || exit 1

echo "Registering the Outlook stand-in in $WINEPREFIX"
wine regsvr32 /s "$(winepath -w "$build/standins/outlook/OutlookStandin.dll")" || {
  echo "could not register OutlookStandin.dll" >&2
  exit 1
}
wine "$build/tools/SeedStandin.exe" || exit 1

quillmere="$build/export_import/Quillmere.exe"
if [ -n "${DISPLAY:-}" ]; then
  echo "Opening Quillmere on display $DISPLAY; close its window to end the demo."
  wine "$quillmere"
  exit $?
fi

# No display: the command-line export, into a file of the demo's own.
file="$WINEPREFIX/drive_c/ContactDB/sample.fs"
rm -f "$file"
wine "$quillmere" /export 'C:\ContactDB\sample.fs' | tr -d '\r'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || exit "$status"

# A record is 3840 bytes of UTF-16 fields after the 8-byte header; the last
# name starts at byte 256 of a record, the first name at byte 128.
field() { # OFFSET LENGTH
  dd if="$file" bs=1 skip="$1" count="$2" status=none | iconv -f UTF-16LE -t UTF-8 | tr -d '\0'
}
size=$(stat -c %s "$file")
count=$(od -An -t d4 -j 4 -N 4 "$file" | tr -d ' ')
echo "$file: $size bytes, $count records"
for ((index = 0; index < count; index++)); do
  record=$((8 + 3840 * index))
  printf '%3d  %s, %s\n' $((index + 1)) "$(field $((record + 256)) 128)" "$(field $((record + 128)) 128)"
done
