# Shared by the top-level scripts: installing what is missing, configuring and
# building both architectures. Source it; it sets `root` to the repository.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

required_packages=(cmake make g++ g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
                   wine64 wine32:i386 libwine-dev xvfb googletest wixl clang libclang-rt-14-dev python3-vobject php-cli
                   php-sabre-vobject)
# What the screenshot scripts need on top: the screen grabber, Wine's own fonts
# (Tahoma, MS Sans Serif, Marlett) and Noto for every script of the sample
# address book.
screenshot_packages=(imagemagick fonts-wine fonts-noto-core fonts-noto-cjk)

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  # A package of a foreign architecture (wine32:i386) needs that architecture
  # enabled before the package lists are fetched.
  local add_architectures=() arch
  for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u); do
    [ "$arch" = "$(dpkg --print-architecture)" ] && continue
    dpkg --print-foreign-architectures | grep -qx "$arch" || add_architectures+=("$arch")
  done
  if [ "$(id -u)" -eq 0 ]; then
    for arch in "${add_architectures[@]}"; do
      echo "Enabling the $arch architecture"
      dpkg --add-architecture "$arch" || return 1
    done
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null || {
        echo "apt-get could not install: ${missing[*]}" >&2
        return 1
      }
  else
    echo "Missing packages. Run as root:" >&2
    for arch in "${add_architectures[@]}"; do
      echo "  dpkg --add-architecture $arch" >&2
    done
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}

# configure_and_build PRESET...: configures (once) and builds each preset.
configure_and_build() {
  local preset
  for preset in "$@"; do
    if [ ! -f "$root/build/$preset/CMakeCache.txt" ]; then
      cmake --preset "$preset" -S "$root" >/dev/null || return 1
    fi
    echo "Building $preset..."
    cmake --build "$root/build/$preset" -j2 >"$root/build/$preset-build.log" 2>&1 || {
      tail -n 40 "$root/build/$preset-build.log" >&2
      echo "The $preset build failed; the whole log is in build/$preset-build.log" >&2
      return 1
    }
  done
}
