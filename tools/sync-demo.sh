#!/usr/bin/env bash
# The synchronisation main job: installs what is missing, builds both
# architectures, registers the built Pelloquin.dll as the contact provider and
# the Outlook stand-in as Outlook in the Wine prefix build/x86_64/wineprefix,
# seeds the stand-in with the sample address book, synchronises it with a new
# simulated device (build/x86_64/sync-demo/device.dvc) through SyncHost, and
# shows what the device then holds.
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" || exit 1
configure_and_build i686 x86_64 || exit 1

build="$root/build/x86_64"
. "$root/tools/lib/wine-prefix.sh"
begin_wine_session "$build/wineprefix"
ensure_wine_prefix || exit 1

echo "Registering the Outlook stand-in and the provider in $WINEPREFIX"
wine regsvr32 /s "$(winepath -w "$build/standins/outlook/OutlookStandin.dll")" || {
  echo "could not register OutlookStandin.dll" >&2
  exit 1
}
"$root/tools/register-provider" --prefix "$WINEPREFIX" "$build/sync_provider/Pelloquin.dll" || exit 1
wine "$build/tools/SeedStandin.exe" | tr -d '\r' || exit 1

# A new device each time: its store and the host's partnership state.
demo="$build/sync-demo"
rm -rf "$demo" && mkdir -p "$demo" || exit 1
device=$(winepath -w "$demo/device.dvc")

echo
echo "Synchronising the desktop's contacts with the simulated device $device"
wine "$build/standins/sync_host/SyncHost.exe" --device "$device" | tr -d '\r'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || exit "$status"

echo
echo "The device now holds (DeviceTool \"$device\" list):"
wine "$build/standins/device/DeviceTool.exe" "$device" list | tr -d '\r'
exit "${PIPESTATUS[0]}"
