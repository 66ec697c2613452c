#!/usr/bin/env bash
# Installs what is missing (32-bit Wine among it), builds both architectures
# and runs every test: the stored formats and the converter natively under the
# sanitizers, a short fuzz of every format, then the whole suite of each build
# under Wine, the i686 shipping build's as 32-bit programs, each with its
# native checks of the binaries (with a private Xvfb for the tests that open
# windows).
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
begin_wine_session "$root/build/i686/wineprefix"
if [ -z "${DISPLAY:-}" ]; then
  start_private_xvfb || exit 1
fi

# Each architecture's tests run in Wine prefixes of their build tree: the i686
# ones as 32-bit programs of a WoW64 prefix, as on a user's 64-bit Windows.
status=0
timings=()
for arch in i686 x86_64; do
  echo "Running the $arch tests under Wine..."
  started=$SECONDS
  export WINEPREFIX="$root/build/$arch/wineprefix"
  ctest --test-dir "$root/build/$arch" --output-on-failure -j2 --timeout 300 || status=1
  timings+=("$arch $((SECONDS - started)) s")
  wineserver -k >/dev/null 2>&1
done
echo "Test time: ${timings[*]}"
exit $status
