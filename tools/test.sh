#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test:
# the i686 shipping build is inspected natively, the x86_64 build's tests run
# under Wine (with a private Xvfb for the tests that open windows).
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" || exit 1
configure_and_build i686 x86_64 || exit 1

export WINEPREFIX="$root/build/x86_64/wineprefix"
export WINEDEBUG=-all
. "$root/tools/lib/wine-prefix.sh"
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  start_private_xvfb || exit 1
fi

ctest --test-dir "$root/build/i686" --output-on-failure || exit 1
ctest --test-dir "$root/build/x86_64" --output-on-failure -j2 --timeout 300
