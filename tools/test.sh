#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test:
# the stored formats and the converter natively under the sanitizers, a short
# fuzz of every format, the i686 shipping build inspected natively, the x86_64
# build's tests under Wine (with a private Xvfb for the tests that open windows).
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

ensure_packages "${required_packages[@]}" || exit 1

# The stored formats first, built for the host under the sanitizers: quick, and
# they see out-of-bounds reads that Wine would not.
cmake -S "$root/tests/native" -B "$root/build/native" >/dev/null || exit 1
echo "Building the native format tests..."
cmake --build "$root/build/native" -j2 >"$root/build/native-build.log" 2>&1 || {
  tail -n 40 "$root/build/native-build.log" >&2
  exit 1
}
ctest --test-dir "$root/build/native" --output-on-failure || exit 1
bash "$root/tools/fuzz.sh" || exit 1
# The converter as shipped for Linux: no sanitizers.
cmake -S "$root/contact_convert" -B "$root/build/contact-convert" >/dev/null &&
  cmake --build "$root/build/contact-convert" -j2 >"$root/build/contact-convert-build.log" 2>&1 || {
  tail -n 40 "$root/build/contact-convert-build.log" >&2
  exit 1
}

configure_and_build i686 x86_64 || exit 1

. "$root/tools/lib/wine-prefix.sh"
begin_wine_session "$root/build/x86_64/wineprefix"
if [ -z "${DISPLAY:-}" ]; then
  start_private_xvfb || exit 1
fi

ctest --test-dir "$root/build/i686" --output-on-failure || exit 1
ctest --test-dir "$root/build/x86_64" --output-on-failure -j2 --timeout 300
